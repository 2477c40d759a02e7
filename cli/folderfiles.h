#pragma once

#include <QString>
#include <QStringList>

// Every file below folder whose name ends in "." + extension (letter case ignored; "*" takes
// every file): the folder's own files first, then its subfolders level by level, each folder's
// files and subfolders sorted by name. Paths are absolute; linked folders are not entered.
QStringList filesInFolder(const QString &folder, const QString &extension);
