// The window's start-up (Form_Load): skin, pointers, samples, title and the stored choices.
#include "shell/form1.h"

#include "core/fileexists.h"
#include "core/reportingprocedure.h"
#include "core/settingsstore.h"
#include "extras/samplelist.h"
#include "shell/cursorfile.h"
#include "shell/filelistview.h"
#include "shell/producticon.h"
#include "shell/skin.h"
#include "shell/startup.h"
#include "shell/twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

void Form1::Form_Load()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::FormLoad);
    procedure.run(100, [&] { Main::ApplySkin(*this); });
    if (procedure.test(102, [&] { return Main::FileExists(Main::handCursorPath()); }))
        procedure.run(104, [&] { m_customPointer = Main::loadCursorFile(Main::handCursorPath()); });
    // A damaged or unreadable store is named once, before the reads that would suffer from it.
    procedure.run(106, [&] { m_settings.check(); });
    if (procedure.test(108, [&] { return m_settings.read(Setting::Snapshot).isEmpty(); }))
        procedure.run(108, [&] { Main::CaptureSampleList(m_settings); });

    procedure.run(130, [&] { setWindowTitle(Main::ProductName); });
    procedure.run(130, [&] { setWindowIcon(Main::productIcon()); });
    procedure.run(130, [&] { Main::SetApplicationTitle(); });
    procedure.run(132, [&] { ListView1->setHeaderLabels({QStringLiteral("XML File(s)")}); });
    procedure.run(134, [&] { ListView1->setColumnWidth(0, twipsToPixels(7000)); });

    // The default is worked out first, as for any argument: without a desktop folder the step
    // fails and Text1 keeps its text.
    procedure.run(136, [&] {
        Text1->setText(m_settings.ReadSetting(Setting::Text1.name, Main::PresetOutputFolder()));
    });
    procedure.run(138, [&] { Text2->setText(m_settings.read(Setting::Other)); });

    const struct {
        int step;
        QRadioButton *option;
        const SettingKey &key;
    } stored[] = {
            {140, Option1, Setting::Option1}, {142, Option2, Setting::Option2},
            {144, Option3, Setting::Option3}, {146, Option4, Setting::Option4},
            {148, Option5, Setting::Option5}, {150, Option6, Setting::Option6},
            {152, Option7, Setting::Option7},
    };
    for (const auto &[step, option, key] : stored)
        procedure.run(step, [&] { restoreOption(option, settingToBool(m_settings.read(key))); });

    if (procedure.test(154, [&] { return Option6->isChecked(); }))
        procedure.run(156, [&] { Frame4->setEnabled(true); });
    else
        procedure.run(158, [&] { Frame4->setEnabled(false); });
}

void Form1::restoreOption(QRadioButton *option, bool selected)
{
    if (!selected) {
        // Clearing the selected option leaves its group with none selected, which an exclusive
        // group would refuse. Like a stored "False" anywhere else, it runs no click handler.
        if (option->isChecked()) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
        return;
    }
    // Selecting clears the others of the group and runs the option's handler, as a click would.
    // Qt signals nothing when the option was selected already, so the handler runs here then.
    if (!option->isChecked()) {
        option->setChecked(true);
        return;
    }
    using Handler = void (Form1::*)();
    const std::pair<QRadioButton *, Handler> handlers[] = {
            {Option1, &Form1::Option1_Click}, {Option2, &Form1::Option2_Click},
            {Option3, &Form1::Option3_Click}, {Option4, &Form1::Option4_Click},
            {Option5, &Form1::Option5_Click}, {Option6, &Form1::Option6_Click},
            {Option7, &Form1::Option7_Click},
    };
    for (const auto &[control, handler] : handlers) {
        if (control == option)
            (this->*handler)();
    }
}
