#include "conversion/encoding/legacyencodings.h"

#include "conversion/encoding/hexbytes.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <vector>

// The parser's view of an encoding: per first byte, its character, -1 for a byte that never
// starts a character, or -n for the first byte of an n-byte sequence.
struct LegacyEncodingTable {
    std::array<int, 256> map{};
    bool multiByte = false;
    bool known = false; // the system's converter has the encoding
    bool usable = false;
    bool stateful = false; // escape or shift sequences switch between character sets
};

namespace {

// How the system's converter reads one byte sequence.
struct Probe {
    // Shift: a complete sequence that only changes the converter's state.
    enum class Kind { Character, Incomplete, Invalid, Shift } kind;
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
        if (outLeft == output.size())
            return {Probe::Kind::Shift};
        // Exactly one character; a sequence that stands for several is beyond the parser.
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

// How likely an incomplete continuation leads on to a character: the converter may call any
// byte incomplete until the last one, while real sets continue with bytes from 0xA1 (EUC) or at
// least from 0x80.
int continuationRank(int byte)
{
    return byte >= 0xA1 ? 2 : byte >= 0x80 ? 1 : 0;
}

// Scans of 256 continuations allowed per first byte: enough to step over the empty rows of a
// set (EUC-JP's 0x8F 0xA1), few enough that every table is built within milliseconds, where
// trying every continuation would take 256^3 probes.
constexpr int scansPerFirstByte = 8;

// Extends sequence[0, length - 1) by one byte: the length of the first complete sequence found
// along its incomplete continuations, most likely first, or 0.
int extendSequence(Converter &converter, char *sequence, int length, int *scansLeft,
                   LegacyEncodingTable *table)
{
    if (length > 4 || *scansLeft <= 0)
        return 0;
    --*scansLeft;
    bool complete = false;
    std::vector<int> incomplete;
    for (int next = 0; next < 256; ++next) {
        sequence[length - 1] = static_cast<char>(next);
        const Probe::Kind kind = converter.probe(sequence, static_cast<std::size_t>(length)).kind;
        complete |= kind == Probe::Kind::Character;
        if (kind == Probe::Kind::Incomplete)
            incomplete.push_back(next);
    }
    if (complete) {
        // A set such as GB18030, where the second byte decides between two and four bytes, is
        // beyond the parser.
        if (length == 2 && !incomplete.empty())
            table->usable = false;
        return length;
    }
    std::stable_sort(incomplete.begin(), incomplete.end(),
                     [](int a, int b) { return continuationRank(a) > continuationRank(b); });
    for (const int next : incomplete) {
        if (*scansLeft <= 0)
            break;
        sequence[length - 1] = static_cast<char>(next);
        if (const int found = extendSequence(converter, sequence, length + 1, scansLeft, table))
            return found;
    }
    return 0;
}

// The length of the sequences that start with first, or 0 if there are none. Real sets decide
// the length by the first byte, so the first complete sequence tells it.
int sequenceLength(Converter &converter, unsigned char first, LegacyEncodingTable *table)
{
    char sequence[4] = {static_cast<char>(first)};
    int scansLeft = scansPerFirstByte;
    return extendSequence(converter, sequence, 2, &scansLeft, table);
}

// The parser requires the characters of its markup to be these bytes; a set that moves them
// (UTF-16, UTF-32, EBCDIC, UTF-7) is refused before any longer probing.
bool keepsMarkupBytes(Converter &converter)
{
    static constexpr std::string_view markup = "\t\n\r !\"#%&'()*+,-./0123456789:;<=>?"
                                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ[]_|"
                                               "abcdefghijklmnopqrstuvwxyz";
    for (const char byte : markup) {
        const Probe probe = converter.probe(&byte, 1);
        if (probe.kind != Probe::Kind::Character
            || probe.codePoint != static_cast<unsigned char>(byte))
            return false;
    }
    return true;
}

// Whether the set switches between character sets with escape or shift sequences (ISO-2022). The
// converter takes no decision on an escape's first two bytes, so following a single incomplete
// sequence would not find them; the usual switches are probed directly.
bool switchesSets(Converter &converter)
{
    static constexpr std::string_view switches[]
            = {"\x0E", "\x1B(B", "\x1B$B", "\x1B$@", "\x1B$A", "\x1B$)C", "\x1B$)A"};
    return std::any_of(std::begin(switches), std::end(switches), [&](std::string_view bytes) {
        return converter.probe(bytes.data(), bytes.size()).kind == Probe::Kind::Shift;
    });
}

std::shared_ptr<const LegacyEncodingTable> buildTable(const QByteArray &encoding)
{
    auto table = std::make_shared<LegacyEncodingTable>();
    Converter converter(encoding);
    if (!converter.isValid())
        return table;
    table->known = true;
    if (!keepsMarkupBytes(converter))
        return table;
    table->usable = true;
    table->stateful = switchesSets(converter);
    for (int byte = 0; byte < 256; ++byte) {
        const char single = static_cast<char>(byte);
        const Probe probe = converter.probe(&single, 1);
        int &entry = table->map[static_cast<std::size_t>(byte)];
        if (probe.kind == Probe::Kind::Character) {
            // The parser takes characters of the Basic Multilingual Plane only.
            entry = probe.codePoint <= 0xFFFF ? probe.codePoint : -1;
        } else if (probe.kind == Probe::Kind::Incomplete) {
            const int length
                    = sequenceLength(converter, static_cast<unsigned char>(byte), table.get());
            entry = length > 0 ? -length : -1;
            table->multiByte |= length > 0;
        } else {
            entry = -1;
        }
    }
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

// Tables are built outside the lock: two threads may build the same one, but neither waits
// for another's encoding.
std::shared_ptr<const LegacyEncodingTable> tableFor(const QByteArray &encoding)
{
    static std::mutex mutex;
    static QHash<QByteArray, std::shared_ptr<const LegacyEncodingTable>> tables;
    {
        const std::lock_guard lock(mutex);
        const auto found = tables.constFind(encoding);
        if (found != tables.constEnd())
            return *found;
    }
    auto table = buildTable(encoding);
    // Names the system does not know are not kept: documents could declare any number of them.
    if (table->known) {
        const std::lock_guard lock(mutex);
        tables.insert(encoding, table);
    }
    return table;
}

// Names of the four-byte encoding, which the parser reads only when the bytes are in it.
bool isUtf32Name(const QByteArray &declared)
{
    static const QByteArrayList names
            = {"UTF-32",  "UTF-32BE", "UTF-32LE",        "UCS-4",
               "UCS-4BE", "UCS-4LE",  "ISO-10646-UCS-4", "CSUCS4",
               "UCS4",    "UTF32",    "10646-1:1993",    "10646-1:1993/UCS4"};
    return names.contains(declared.toUpper());
}

struct ConversionData {
    std::shared_ptr<const LegacyEncodingTable> table;
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
    if (m_declaredWrongly)
        return QStringLiteral("the document is not written in the encoding \"%1\" that it declares")
                .arg(m_name);
    if (!m_knownToSystem)
        return QStringLiteral("unknown encoding \"%1\"").arg(m_name);
    return QStringLiteral("the encoding \"%1\" is not supported").arg(m_name);
}

QString LegacyEncodings::unmappedReason(std::string_view bytes) const
{
    if (!m_table || bytes.empty())
        return {};
    const auto lead = static_cast<unsigned char>(bytes.front());
    const int entry = m_table->map[lead];
    if (entry == -1 && m_table->stateful && lead < 0x80)
        return QStringLiteral("the encoding \"%1\" is not supported: it switches character sets "
                              "within the text")
                .arg(m_name);
    if (entry == -1)
        return QStringLiteral("the byte %1 cannot be mapped in the encoding \"%2\"")
                .arg(hexBytes(bytes.substr(0, 1)), m_name);
    const auto length = static_cast<std::size_t>(-entry);
    if (entry >= 0 || bytes.size() < length)
        return {};
    Converter converter(m_systemName);
    if (!converter.isValid()
        || converter.probe(bytes.data(), length).kind == Probe::Kind::Character)
        return {};
    return QStringLiteral("the bytes %1 cannot be mapped in the encoding \"%2\"")
            .arg(hexBytes(bytes.substr(0, length)), m_name);
}

bool LegacyEncodings::multiByte() const
{
    return m_table && m_table->multiByte;
}

int XMLCALL LegacyEncodings::handleUnknownEncoding(void *self, const XML_Char *name,
                                                   XML_Encoding *info)
{
    auto *encodings = static_cast<LegacyEncodings *>(self);
    try {
        const QByteArray declared(name);
        encodings->m_name = QString::fromUtf8(declared);
        if (isUtf32Name(declared)) {
            encodings->m_declaredWrongly = true;
            return XML_STATUS_ERROR;
        }
        const QByteArray systemName = systemEncodingName(declared);
        const std::shared_ptr<const LegacyEncodingTable> table = tableFor(systemName);
        encodings->m_knownToSystem = table->known;
        if (!table->usable)
            return XML_STATUS_ERROR;
        encodings->m_table = table;
        encodings->m_systemName = systemName;
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
