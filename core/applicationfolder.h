#pragma once

#include <QString>

// The folder that holds the program file, without a trailing separator. The optional files
// delivered with the program ("x/o.cjs", "HAND-M.CUR", "drag.ico", "Samples") are looked up in it.
QString applicationFolder();

// Points applicationFolder() elsewhere; an empty path restores the program's own folder.
void setApplicationFolderForTesting(const QString &folder);
