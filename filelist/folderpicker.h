#pragma once

#include "core/pathhelpers.h"

#include <QString>

class Dialogs;

namespace AddFolder {

// Asks the user for a folder in a folder-only dialog that shows the prompt and opens with the
// start folder selected when it exists. Returns the chosen folder without a trailing separator,
// except a root ("/", or a drive root such as "C:\"), and empty text when the user cancels.
QString BrowseForFolder(Dialogs &dialogs, const QString &prompt, const QString &startFolder);

// The folder as the picker returns it: trailing separators removed unless the folder is a root.
QString normalizePickedFolder(const QString &folder, Main::PathStyle style = Main::NativePathStyle);

} // namespace AddFolder
