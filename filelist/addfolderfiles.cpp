#include "filelist/addfolderfiles.h"

namespace AddFolder {

QString folderFileRow(const QString &folder, const QString &name)
{
    return Main::CleanDoubleBackslashes(folder + Main::pathSeparator() + name);
}

QStringList filesOfFolderTree(const QString &folder, const QString &pattern, ScanHooks hooks)
{
    QStringList folders{folder + Main::pathSeparator()};
    FolderScan scan(std::move(hooks));
    scan.GetSubDirectories2016(folders, true);
    QStringList rows;
    if (scan.stopped())
        return rows;
    QuietSteps steps;
    appendFilesOfFolders(steps, folders, pattern, [&](const QString &row) { rows.append(row); });
    return rows;
}

} // namespace AddFolder
