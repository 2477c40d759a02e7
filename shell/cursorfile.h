#pragma once

#include <QCursor>
#include <QPoint>
#include <QString>

namespace Main {

// The pointer file delivered beside the program: "HAND-M.CUR" in the application folder.
QString handCursorPath();

// The hotspot stored in a .cur file's first directory entry. Throws Failure when the file
// cannot be read or is no cursor file.
QPoint cursorFileHotspot(const QString &path);

// The pointer in a .cur file: its first image with the hotspot from the file's header, which
// Qt's image reader drops. Throws Failure when the file cannot be read as a cursor.
QCursor loadCursorFile(const QString &path);

} // namespace Main
