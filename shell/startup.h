#pragma once

#include <QString>

// The small helpers start-up needs and other parts of the program share.
namespace Main {

// The user's desktop folder followed by the native separator. Throws Failure when the platform
// names no desktop folder.
QString GetDesktopFolder();

// The output folder a first start presets: the desktop folder, or the home folder (followed by
// the separator) where the desktop folder does not exist. Throws Failure as GetDesktopFolder.
QString PresetOutputFolder();

// The product name cut before its last blank, repeated while longer than 40 characters; a name
// without a blank is kept whole (cut to 40 characters if it is longer).
QString applicationTitleFor(const QString &productName);

// Makes the title of "Quillmere" the program's name: the caption of its message boxes and input
// prompts and its name in the task list (with the desktop entry "com.velmora.Quillmere").
void SetApplicationTitle();

// The product's name, also the main window's caption.
inline const QString ProductName = QStringLiteral("Quillmere");

} // namespace Main
