// "Add All XML File(s) In Folder" (PushButton4): a folder and an extension, then the scan.
#include "shell/form1.h"

#include "core/pathhelpers.h"
#include "core/reportingprocedure.h"
#include "core/settingsstore.h"
#include "filelist/addfolder.h"
#include "filelist/addfolderfiles.h"
#include "filelist/folderpicker.h"
#include "shell/filelistview.h"

#include <QCoreApplication>

// A second click while a scan yields is not refused: it runs its own prompt and scan to the end,
// which also ends the busy state, before the first scan goes on.
void Form1::PushButton4_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton4Click);

    QString extension;
    procedure.run(100, [&] {
        extension = dialogs().inputBox(
                QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                               "files, doc for all doc files, etc.)"),
                QCoreApplication::applicationName(), m_settings.read(Setting::Extension));
    });
    procedure.run(100, [&] {
        if (!extension.isEmpty())
            m_settings.write(Setting::Extension, extension);
    });
    if (procedure.test(102, [&] { return extension.isEmpty(); }))
        return;

    QString folder;
    procedure.run(104, [&] { m_rememberedScanFolder = m_settings.read(Setting::LastFolder); });
    procedure.run(104, [&] {
        folder = AddFolder::BrowseForFolder(dialogs(), QStringLiteral("Please select folder:"),
                                            m_rememberedScanFolder);
    });
    if (procedure.test(106, [&] { return folder.isEmpty(); }))
        return;
    procedure.run(333, [&] { m_rememberedScanFolder = folder; });
    procedure.run(334, [&] { m_settings.write(Setting::LastFolder, m_rememberedScanFolder); });

    procedure.run(112, [&] { setPointer(PointerKind::Busy); });
    QStringList folders;
    procedure.run(114, [&] { folders = QStringList{folder + Main::pathSeparator()}; });
    ScanRecord leftOut;
    AddFolder::FolderScan scan(scanHooks(), ScanNames::TextOnly, &leftOut);
    procedure.run(116, [&] { scan.GetSubDirectories2016(folders, true); });
    if (!scan.stopped()) {
        AddFolder::appendFilesOfFolders(
                procedure, folders, QStringLiteral("*.") + extension,
                [&](const QString &row) { ListView1->appendRow(row); }, ScanNames::TextOnly,
                &leftOut);
    }
    procedure.run(136, [&] { setPointer(PointerKind::Default); });
    if (!scan.stopped())
        procedure.run(138, [&] { reportLeftOut(leftOut); });
}
