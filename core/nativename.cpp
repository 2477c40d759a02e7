#include "core/nativename.h"

#include <QUtf8StringView>

namespace {

constexpr char16_t FirstStray = 0xDC80;
constexpr char16_t LastStray = 0xDCFF;

// A lone low surrogate of the stray range; valid UTF-8 never decodes into one.
bool isStray(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= FirstStray && c <= LastStray && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

// The length of the valid UTF-8 sequence at the start of the bytes, 0 when there is none.
qsizetype sequenceLength(QByteArrayView bytes)
{
    const auto lead = static_cast<unsigned char>(bytes.front());
    const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (length > bytes.size() || !QUtf8StringView(bytes.first(length)).isValidUtf8())
        return 0;
    return length;
}

} // namespace

QString decodeNativeName(QByteArrayView bytes)
{
    if (QUtf8StringView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    name.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const qsizetype length = sequenceLength(bytes);
        if (length == 0) {
            name += QChar(FirstStray - 0x80 + static_cast<unsigned char>(bytes.front()));
            bytes = bytes.sliced(1);
        } else {
            name += QString::fromUtf8(bytes.first(length));
            bytes = bytes.sliced(length);
        }
    }
    return name;
}

QByteArray encodeNativeName(const QString &name)
{
    if (!hasStrayBytes(name))
        return name.toUtf8();
    QByteArray bytes;
    qsizetype run = 0; // start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isStray(name, i))
            continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        bytes += static_cast<char>(name.at(i).unicode() - FirstStray + 0x80);
        run = i + 1;
    }
    return bytes + QStringView(name).sliced(run).toUtf8();
}

bool hasStrayBytes(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isStray(name, i))
            return true;
    }
    return false;
}

QString readableName(const QString &name)
{
    const auto needsEscape = [&name](qsizetype i) {
        const char16_t c = name.at(i).unicode();
        return c < 0x20 || (c >= 0x7F && c <= 0x9F) || isStray(name, i);
    };
    const auto hex = [](uint byte) -> QString {
        return QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, u'0');
    };
    QString readable;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!needsEscape(i)) {
            readable += name.at(i);
            continue;
        }
        const char16_t c = name.at(i).unicode();
        if (isStray(name, i)) {
            readable += hex(c - FirstStray + 0x80);
            continue;
        }
        for (const char byte : QString(QChar(c)).toUtf8())
            readable += hex(static_cast<unsigned char>(byte));
    }
    return readable;
}
