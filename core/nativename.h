#pragma once

#include <QByteArray>
#include <QString>

// File names (and arguments) as the system keeps them: bytes, mostly UTF-8. A name that is not
// valid UTF-8 keeps each stray byte as a lone surrogate, U+DC80 to U+DCFF, so that it turns
// back into the same bytes; QFile::encodeName would make such a byte a replacement character,
// the name of another file.

// The bytes as text; valid UTF-8 decodes as usual.
QString decodeNativeName(QByteArrayView bytes);

// The text as bytes, each stray byte as it was.
QByteArray encodeNativeName(const QString &name);

// True when the text holds a stray byte: its bytes are not valid UTF-8.
bool hasStrayBytes(const QString &name);

// The text for a person: each stray byte, and each control character (which would move the
// cursor, end the line or colour a terminal), written as \xHH of its bytes.
QString readableName(const QString &name);
