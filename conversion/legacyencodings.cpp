#include "conversion/legacyencodings.h"

#include <QByteArray>
#include <QHash>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <mutex>

namespace {

// How the system's converter reads one byte sequence.
struct Probe {
    enum class Kind { Character, Incomplete, Invalid } kind;
    int codePoint = -1;
};

// A converter to UTF-32LE; one per parser, since a converter has state of its own.
class Converter {
public:
    explicit Converter(const QByteArray &encoding)
        : m_handle(iconv_open("UTF-32LE", encoding.constData()))
    {
    }
    ~Converter()
    {
        if (isValid())
            iconv_close(m_handle);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isValid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    Probe probe(const char *bytes, std::size_t size)
    {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 32> output{};
        char *in = const_cast<char *>(bytes);
        char *out = output.data();
        std::size_t inLeft = size;
        std::size_t outLeft = output.size();
        if (iconv(m_handle, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
            return {errno == EINVAL ? Probe::Kind::Incomplete : Probe::Kind::Invalid};
        if (iconv(m_handle, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
            return {Probe::Kind::Invalid};
        // Exactly one character, or the set is stateful and beyond what the parser can take.
        if (output.size() - outLeft != 4)
            return {Probe::Kind::Invalid};
        const auto byte = [&](int i) {
            return static_cast<unsigned char>(output[i]);
        };
        const int codePoint = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
        return {Probe::Kind::Character, codePoint};
    }

private:
    iconv_t m_handle;
};

// The parser's view of an encoding: per first byte, its character, -1 for a byte that never
// starts a character, or -n for the first byte of an n-byte sequence.
struct EncodingTable {
    std::array<int, 256> map{};
    bool multiByte = false;
    bool known = false; // the system's converter has the encoding
    bool usable = false;
};

int sequenceLength(Converter &converter, unsigned char first, bool *ambiguous)
{
    char sequence[4] = {static_cast<char>(first)};
    // The length must follow from the first byte alone: a set such as GB18030, where the
    // second byte decides between two and four bytes, is refused.
    bool complete = false;
    bool incomplete = false;
    for (int second = 0; second < 256; ++second) {
        sequence[1] = static_cast<char>(second);
        const Probe probe = converter.probe(sequence, 2);
        complete |= probe.kind == Probe::Kind::Character;
        incomplete |= probe.kind == Probe::Kind::Incomplete;
    }
    if (complete) {
        *ambiguous = incomplete;
        return 2;
    }
    if (!incomplete)
        return 0;
    for (int length = 3; length <= 4; ++length) {
        for (int second = 0; second < 256; ++second) {
            sequence[1] = static_cast<char>(second);
            if (converter.probe(sequence, 2).kind != Probe::Kind::Incomplete)
                continue;
            for (int third = 0; third < 256; ++third) {
                sequence[2] = static_cast<char>(third);
                if (length == 3) {
                    if (converter.probe(sequence, 3).kind == Probe::Kind::Character)
                        return 3;
                    continue;
                }
                if (converter.probe(sequence, 3).kind != Probe::Kind::Incomplete)
                    continue;
                for (int fourth = 0; fourth < 256; ++fourth) {
                    sequence[3] = static_cast<char>(fourth);
                    if (converter.probe(sequence, 4).kind == Probe::Kind::Character)
                        return 4;
                }
            }
        }
    }
    return 0;
}

std::shared_ptr<const EncodingTable> buildTable(const QByteArray &encoding)
{
    auto table = std::make_shared<EncodingTable>();
    Converter converter(encoding);
    if (!converter.isValid())
        return table;
    table->known = true;
    bool ambiguous = false;
    for (int byte = 0; byte < 256; ++byte) {
        const char single = static_cast<char>(byte);
        const Probe probe = converter.probe(&single, 1);
        int &entry = table->map[static_cast<std::size_t>(byte)];
        if (probe.kind == Probe::Kind::Character) {
            // The parser takes characters of the Basic Multilingual Plane only.
            entry = probe.codePoint <= 0xFFFF ? probe.codePoint : -1;
        } else if (probe.kind == Probe::Kind::Incomplete) {
            const int length
                    = sequenceLength(converter, static_cast<unsigned char>(byte), &ambiguous);
            entry = length > 0 ? -length : -1;
            table->multiByte |= length > 0;
        } else {
            entry = -1;
        }
    }
    table->usable = !ambiguous;
    return table;
}

// The names under which documents declare the Japanese Windows code page: files labelled
// Shift_JIS are written with its extensions and its ASCII backslash and tilde.
QByteArray systemEncodingName(const QByteArray &declared)
{
    const QByteArray upper = declared.toUpper();
    if (upper == "SHIFT_JIS" || upper == "SHIFT-JIS" || upper == "SJIS" || upper == "X-SJIS"
        || upper == "MS_KANJI" || upper == "CSSHIFTJIS")
        return QByteArrayLiteral("CP932");
    return upper;
}

std::shared_ptr<const EncodingTable> tableFor(const QByteArray &encoding)
{
    static std::mutex mutex;
    static QHash<QByteArray, std::shared_ptr<const EncodingTable>> tables;
    const std::lock_guard lock(mutex);
    auto found = tables.constFind(encoding);
    if (found != tables.constEnd())
        return *found;
    auto table = buildTable(encoding);
    // Names the system does not know are not kept: documents could declare any number of them.
    if (table->known)
        tables.insert(encoding, table);
    return table;
}

struct ConversionData {
    std::shared_ptr<const EncodingTable> table;
    Converter converter;
};

int XMLCALL convertSequence(void *data, const char *sequence)
{
    auto *conversion = static_cast<ConversionData *>(data);
    const int entry = conversion->table->map[static_cast<unsigned char>(sequence[0])];
    const Probe probe = conversion->converter.probe(sequence, static_cast<std::size_t>(-entry));
    return probe.kind == Probe::Kind::Character ? probe.codePoint : -1;
}

void XMLCALL releaseConversion(void *data)
{
    delete static_cast<ConversionData *>(data);
}

} // namespace

void LegacyEncodings::install(XML_Parser parser)
{
    XML_SetUnknownEncodingHandler(parser, &LegacyEncodings::handleUnknownEncoding, this);
}

QString LegacyEncodings::failureReason() const
{
    if (m_name.isEmpty())
        return QStringLiteral("unknown encoding");
    if (!m_knownToSystem)
        return QStringLiteral("unknown encoding \"%1\"").arg(m_name);
    return QStringLiteral("the encoding \"%1\" is not supported").arg(m_name);
}

int XMLCALL LegacyEncodings::handleUnknownEncoding(void *self, const XML_Char *name,
                                                   XML_Encoding *info)
{
    auto *encodings = static_cast<LegacyEncodings *>(self);
    try {
        const QByteArray declared(name);
        encodings->m_name = QString::fromUtf8(declared);
        const QByteArray systemName = systemEncodingName(declared);
        const std::shared_ptr<const EncodingTable> table = tableFor(systemName);
        encodings->m_knownToSystem = table->known;
        if (!table->usable)
            return XML_STATUS_ERROR;
        std::copy(table->map.begin(), table->map.end(), info->map);
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        if (table->multiByte) {
            std::unique_ptr<ConversionData> conversion(
                    new ConversionData{table, Converter(systemName)});
            if (!conversion->converter.isValid())
                return XML_STATUS_ERROR;
            info->data = conversion.release();
            info->convert = &convertSequence;
            info->release = &releaseConversion;
        }
        return XML_STATUS_OK;
    } catch (...) {
        return XML_STATUS_ERROR;
    }
}
