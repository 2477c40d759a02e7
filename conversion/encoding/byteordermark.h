#pragma once

#include <QByteArray>
#include <QString>

// The encoding a byte-order mark at the start of a document names. It decides how the document
// is read; a declaration in the document must name the same encoding.
enum class ByteOrderMark {
    None,
    Utf8,
    Utf16BigEndian,
    Utf16LittleEndian,
    Utf32BigEndian,
    Utf32LittleEndian
};

// The mark the document's first four bytes (fewer for a shorter document) start with.
ByteOrderMark byteOrderMarkOf(const QByteArray &start);

// Why a document that starts with mark may not declare the encoding declared; empty when the
// name is one of those of the mark's encoding (letter case aside) or there is no mark.
QString byteOrderMarkConflict(ByteOrderMark mark, const QByteArray &declared);
