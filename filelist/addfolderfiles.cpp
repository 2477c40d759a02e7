#include "filelist/addfolderfiles.h"

#include "core/nativename.h"

namespace AddFolder {

QString folderFileRow(const QString &folder, const QString &name)
{
    return Main::CleanDoubleBackslashes(folder + Main::pathSeparator() + name);
}

bool isPathTooLong(const QString &path)
{
    return encodeNativeName(path).size() >= PathLimit;
}

QStringList filesOfFolderTree(const QString &folder, const QString &pattern, ScanHooks hooks,
                              ScanNames scanNames, ScanRecord *leftOut)
{
    QStringList folders{folder + Main::pathSeparator()};
    FolderScan scan(std::move(hooks), scanNames, leftOut);
    scan.GetSubDirectories2016(folders, true);
    QStringList rows;
    if (scan.stopped())
        return rows;
    QuietSteps steps;
    appendFilesOfFolders(
            steps, folders, pattern, [&](const QString &row) { rows.append(row); }, scanNames,
            leftOut);
    return rows;
}

} // namespace AddFolder
