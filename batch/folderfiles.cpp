#include "batch/folderfiles.h"

#include "filelist/addfolderfiles.h"

QStringList filesInFolder(const QString &folder, const QString &extension, ScanRecord &leftOut)
{
    // The window's own folder scan, so that a dry run lists what adding the folder there adds.
    return AddFolder::filesOfFolderTree(folder, QStringLiteral("*.") + extension, {},
                                        ScanNames::KeepBytes, &leftOut);
}
