#include "core/errorreport.h"

#include "core/dialogs.h"

QString errorReportText(const QString &description, const QString &tag, int step)
{
    return description + QStringLiteral("\r\n") + tag + QStringLiteral("at line ")
            + QString::number(step) + QStringLiteral("\r\r")
            + QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

void ReportError(Dialogs &dialogs, const QString &description, const QString &tag, int step)
{
    dialogs.errorReport(errorReportText(description, tag, step));
}
