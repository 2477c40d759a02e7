#include "conversion/encoding/documentinput.h"

#include "conversion/encoding/hexbytes.h"

#include <QRegularExpression>

#include <iconv.h>

#include <array>

namespace {

// Reads up to size bytes, waiting on a pipe as the parse does; fewer only at the end.
QByteArray readUpTo(QIODevice &input, qint64 size)
{
    QByteArray bytes;
    while (bytes.size() < size) {
        const QByteArray got = input.read(size - bytes.size());
        if (got.isEmpty()) {
            if (input.isSequential() && !input.atEnd() && input.waitForReadyRead(-1))
                continue;
            break;
        }
        bytes += got;
    }
    return bytes;
}

// The first four bytes without consuming them.
QByteArray peekStart(QIODevice &input)
{
    if (!input.isReadable())
        return {};
    if (!input.isSequential())
        return input.peek(4);
    input.startTransaction();
    const QByteArray start = readUpTo(input, 4);
    input.rollbackTransaction();
    return start;
}

// The encoding an EBCDIC document declares, read through the code page whose letters, digits
// and punctuation all EBCDIC pages share; "EBCDIC" when there is no declaration.
QString ebcdicName(QIODevice &input)
{
    QByteArray declaration = readUpTo(input, 256);
    const iconv_t converter = iconv_open("UTF-8", "IBM037");
    if (converter != reinterpret_cast<iconv_t>(-1)) {
        QByteArray text(declaration.size() * 3, '\0');
        char *in = declaration.data();
        char *out = text.data();
        std::size_t inLeft = static_cast<std::size_t>(declaration.size());
        std::size_t outLeft = static_cast<std::size_t>(text.size());
        iconv(converter, &in, &inLeft, &out, &outLeft);
        iconv_close(converter);
        text.truncate(text.size() - static_cast<qsizetype>(outLeft));
        static const QRegularExpression name(
                QStringLiteral("^<\\?xml[^>]*\\sencoding\\s*=\\s*[\"']([A-Za-z][A-Za-z0-9._-]*)"));
        const QRegularExpressionMatch match = name.match(QString::fromUtf8(text));
        if (match.hasMatch())
            return match.captured(1);
    }
    return QStringLiteral("EBCDIC");
}

} // namespace

DocumentInput::DocumentInput(QIODevice &input) : m_input(input)
{
    const QByteArray start = peekStart(input);
    m_byteOrderMark = byteOrderMarkOf(start);
    if (start.size() < 4)
        return;
    const auto is = [&](const char(&pattern)[5]) {
        return start == QByteArray::fromRawData(pattern, 4);
    };
    if (is("\0\0\xFE\xFF") || is("\0\0\0<")) {
        m_encodingName = QStringLiteral("UTF-32BE");
        m_utf32 = std::make_unique<Utf32Device>(input, true);
    } else if (is("\xFF\xFE\0\0") || is("<\0\0\0")) {
        m_encodingName = QStringLiteral("UTF-32LE");
        m_utf32 = std::make_unique<Utf32Device>(input, false);
    } else if (is("\0\0\xFF\xFE") || is("\0\0<\0")) {
        m_refusal = QStringLiteral("the encoding \"UCS-4\" in byte order 2143 is not supported");
    } else if (is("\xFE\xFF\0\0") || is("\0<\0\0")) {
        m_refusal = QStringLiteral("the encoding \"UCS-4\" in byte order 3412 is not supported");
    } else if (is("\x4C\x6F\xA7\x94")) {
        m_refusal = QStringLiteral("the encoding \"%1\" is not supported").arg(ebcdicName(input));
    } else if (start.startsWith("\xFF\xFE") || start.startsWith(QByteArrayView("<\0", 2))) {
        // What the parser takes for UTF-16 by itself, once UTF-32 is ruled out.
        m_encodingName = QStringLiteral("UTF-16LE");
        m_utf16 = std::make_unique<Utf16Device>(input, false);
    } else if (start.startsWith("\xFE\xFF") || start.startsWith(QByteArrayView("\0<", 2))) {
        m_encodingName = QStringLiteral("UTF-16BE");
        m_utf16 = std::make_unique<Utf16Device>(input, true);
    }
}

QIODevice &DocumentInput::device()
{
    if (m_utf32)
        return *m_utf32;
    if (m_utf16)
        return *m_utf16;
    return m_input;
}

const char *DocumentInput::parserEncoding() const
{
    if (m_utf32 || m_byteOrderMark == ByteOrderMark::Utf8)
        return "UTF-8";
    if (m_byteOrderMark == ByteOrderMark::Utf16BigEndian
        || m_byteOrderMark == ByteOrderMark::Utf16LittleEndian)
        return "UTF-16";
    return nullptr;
}

QString DocumentInput::unmappedReason(qint64 byteIndex) const
{
    const qint64 badUnitOffset = m_utf32 ? m_utf32->badUnitOffset()
            : m_utf16                    ? m_utf16->badUnitOffset()
                                         : -1;
    if (badUnitOffset < 0 || badUnitOffset != byteIndex)
        return {};
    const QByteArray unit = m_utf32 ? m_utf32->badUnit() : m_utf16->badUnit();
    return QStringLiteral("the bytes %1 cannot be mapped in the encoding \"%2\"")
            .arg(hexBytes(
                         std::string_view(unit.constData(), static_cast<std::size_t>(unit.size()))),
                 m_encodingName);
}
