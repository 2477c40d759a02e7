// "Load Sample/Example Files" (PushButton7).
#include "shell/form1.h"

#include "core/reportingprocedure.h"
#include "shell/filelistview.h"
#include "shell/loadsamples.h"

void Form1::PushButton7_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton7Click);
    // One step: a failure ends the loading, and the question is not asked.
    procedure.run(100, [&] { Main::LoadSampleFiles(*ListView1, m_settings, dialogs()); });
}
