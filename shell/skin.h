#pragma once

#include <QString>

class QWidget;

namespace Main {

// The skin file in the application folder: "x/o.cjs".
QString skinFilePath();

// When the skin file exists, gives the window, its frames, option buttons, check boxes and
// labels the face colour (the palette's button colour, with its button-text colour for their
// text) and then applies the file to the window as a Qt style sheet. Without the file nothing
// changes. Throws Failure when the file cannot be read or is no valid style sheet; the colours
// already set stay.
void ApplySkin(QWidget &window);

// The style sheet held in a skin file. Throws Failure when it cannot be read, is not UTF-8 text
// or does not parse as a style sheet.
QString loadSkin(const QString &path);

} // namespace Main
