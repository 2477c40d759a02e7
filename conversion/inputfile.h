#pragma once

#include <QFile>
#include <QString>

// Which inputs a conversion reads.
enum class InputKinds {
    Any, // whatever the name leads to, as cat would read it: a pipe, a device, a regular file
    RegularFilesOnly, // a named pipe, a socket or a device is refused without being opened
};

// Opens the file (its name set) for reading, by the name's bytes (see core/nativename.h). With
// RegularFilesOnly, something that is not a regular file is refused before it is opened, and the
// open itself cannot block, so that nothing on the way can stall the caller. False with the reason
// when the file is not opened.
bool openInputFile(QFile &file, InputKinds kinds, QString *reason);
