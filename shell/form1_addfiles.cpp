// "Add XML File(s)" (PushButton1): the Open dialog and appending its files to the list.
#include "shell/form1.h"

#include "core/pathhelpers.h"
#include "core/reportingprocedure.h"
#include "shell/filelistview.h"

void Form1::PushButton1_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton1Click);
    QString fileName;
    QString title;
    QString filter;
    QStringList parts;

    procedure.run(104, [&] { fileName.clear(); });
    // The dialog needs no flags: the dialogs interface always lets several files be picked,
    // with their long names.
    procedure.run(108, [&] {
        title = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
    });
    procedure.run(110, [&] { filter = QStringLiteral("XML Files (*.xml)"); });
    procedure.run(112, [&] { fileName = dialogs().openFiles(title, filter); });
    if (procedure.test(114, [&] { return fileName.isEmpty(); }))
        return;
    procedure.run(116, [&] { parts = fileName.split(QChar::Null); });
    const qsizetype n = parts.size() - 1;
    if (procedure.test(118, [&] { return n == 0; })) {
        QString path;
        procedure.run(120, [&] { path = parts.at(0); });
        procedure.run(122, [&] { ListView1->appendRow(path); });
        return;
    }
    if (procedure.test(124, [&] { return n < 1; }))
        return;

    // An empty folder part marks names picked in several folders at once (a desktop dialog's
    // Recent or Search view): each name then is a full path, appended as returned.
    bool severalFolders = false;
    procedure.run(126, [&] { severalFolders = parts.at(0).isEmpty(); });
    for (qsizetype i = 1; i <= n; ++i) {
        QString path;
        if (severalFolders) {
            procedure.run(128, [&] { path = parts.at(i); });
        } else {
            procedure.run(128, [&] { path = parts.at(0) + Main::pathSeparator() + parts.at(i); });
            procedure.run(134, [&] { path = Main::CleanDoubleBackslashes(path); });
        }
        procedure.run(136, [&] { ListView1->appendRow(path); });
    }
}
