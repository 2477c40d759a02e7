// Folders added whole to the list, as dropped on it or given on the window's command line.
#include "shell/form1.h"

#include "conversion/pathhelpers.h"
#include "core/handlerguard.h"
#include "filelist/addfolder.h"
#include "filelist/addfolderfiles.h"
#include "filelist/filelistview.h"

void Form1::addFolderTree(const char *handlerName, const QString &folder, const QString &wildcard)
{
    QStringList folders{folder + Main::pathSeparator()};
    AddFolder::FolderScan scan(
            AddFolder::windowScanHooks(dialogs(), [this] { return isClosing(); }));
    scan.GetSubDirectories2016(folders, true);
    if (scan.stopped())
        return;
    AddFolder::QuietSteps steps([handlerName](const QString &description) {
        logHandlerFailure(handlerName, description);
    });
    AddFolder::appendFilesOfFolders(steps, folders, wildcard,
                                    [&](const QString &row) { ListView1->appendRow(row); });
}
