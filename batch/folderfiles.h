#pragma once

#include "filelist/scanrecord.h"

#include <QString>
#include <QStringList>

// Every file below folder whose name ends in "." + extension (letter case ignored; "*" takes
// every file), as adding the folder in the window finds them: the folder's own files first,
// then its subfolders level by level, each folder's files and subfolders sorted by name; names
// starting with "~" are left out, links to folders inside are not entered, pipes are skipped.
// Unlike the window, it takes every name by its bytes; what it cannot list (a folder it may not
// read, a path over the system's limit) goes to leftOut.
QStringList filesInFolder(const QString &folder, const QString &extension, ScanRecord &leftOut);
