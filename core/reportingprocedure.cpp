#include "core/reportingprocedure.h"

#include "core/dialogs.h"

void ReportingProcedure::report(const QString &description)
{
    ReportError(m_dialogs, description, m_tag, m_step);
}
