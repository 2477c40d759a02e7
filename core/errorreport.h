#pragma once

#include <QString>

class Dialogs;

// The procedure tags that name a reporting procedure in the error report.
namespace ProcedureTag {
inline const QString FormLoad = QStringLiteral("in Tarnwick2021/08/31.Form1.Form_Load ");
inline const QString PushButton1Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton1_Click ");
inline const QString PushButton2Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton2_Click ");
inline const QString ConvertToCSV = QStringLiteral("in Tarnwick2021/08/31.Form1.ConvertToCSV ");
inline const QString PushButton4Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton4_Click ");
inline const QString PushButton6Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton6_Click ");
inline const QString PushButton7Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton7_Click ");
inline const QString PushButton9Click
        = QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton9_Click ");
inline const QString GetSubDirectories2016
        = QStringLiteral("in Dunmarrow2021/08/31.AddFolder.GetSubDirectories2016 ");
} // namespace ProcedureTag

// The address the error report asks the user to write to.
inline const QString SupportAddress = QStringLiteral("support@quillmere.example");

// The text of the error report for a failure at the given step of a procedure.
QString errorReportText(const QString &description, const QString &tag, int step);

// Shows the error report and returns when the user has pressed OK.
void ReportError(Dialogs &dialogs, const QString &description, const QString &tag, int step);
