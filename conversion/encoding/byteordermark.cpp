#include "conversion/encoding/byteordermark.h"

#include <QByteArrayList>

namespace {

QString markName(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::Utf8:
        return QStringLiteral("UTF-8");
    case ByteOrderMark::Utf16BigEndian:
        return QStringLiteral("UTF-16BE");
    case ByteOrderMark::Utf16LittleEndian:
        return QStringLiteral("UTF-16LE");
    case ByteOrderMark::Utf32BigEndian:
        return QStringLiteral("UTF-32BE");
    case ByteOrderMark::Utf32LittleEndian:
        return QStringLiteral("UTF-32LE");
    case ByteOrderMark::None:
        break;
    }
    return {};
}

// The names, in capitals, a document with the mark may declare: the encoding's, without or
// with the byte order the mark shows, and the names XML gives its two- and four-byte forms.
QByteArrayList agreeingNames(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::Utf8:
        return {"UTF-8", "UTF8"};
    case ByteOrderMark::Utf16BigEndian:
        return {"UTF-16", "UTF-16BE", "ISO-10646-UCS-2", "UCS-2", "UCS-2BE"};
    case ByteOrderMark::Utf16LittleEndian:
        return {"UTF-16", "UTF-16LE", "ISO-10646-UCS-2", "UCS-2", "UCS-2LE"};
    case ByteOrderMark::Utf32BigEndian:
        return {"UTF-32", "UTF-32BE", "ISO-10646-UCS-4", "UCS-4", "UCS-4BE"};
    case ByteOrderMark::Utf32LittleEndian:
        return {"UTF-32", "UTF-32LE", "ISO-10646-UCS-4", "UCS-4", "UCS-4LE"};
    case ByteOrderMark::None:
        break;
    }
    return {};
}

} // namespace

ByteOrderMark byteOrderMarkOf(const QByteArray &start)
{
    // The four-byte marks first: FF FE 00 00 is UTF-32, never UTF-16 followed by a NUL.
    if (start.startsWith(QByteArrayLiteral("\0\0\xFE\xFF")))
        return ByteOrderMark::Utf32BigEndian;
    if (start.startsWith(QByteArrayLiteral("\xFF\xFE\0\0")))
        return ByteOrderMark::Utf32LittleEndian;
    if (start.startsWith("\xEF\xBB\xBF"))
        return ByteOrderMark::Utf8;
    if (start.startsWith("\xFE\xFF"))
        return ByteOrderMark::Utf16BigEndian;
    if (start.startsWith("\xFF\xFE"))
        return ByteOrderMark::Utf16LittleEndian;
    return ByteOrderMark::None;
}

QString byteOrderMarkConflict(ByteOrderMark mark, const QByteArray &declared)
{
    if (mark == ByteOrderMark::None || agreeingNames(mark).contains(declared.toUpper()))
        return {};
    return QStringLiteral("the document starts with the byte-order mark of %1 but declares the "
                          "encoding \"%2\"")
            .arg(markName(mark), QString::fromUtf8(declared));
}
