#include "conversion/walk/longcomment.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace {
// What a cut puts between two characters of a comment.
constexpr std::string_view cutMark = "--><!--";
} // namespace

unsigned LongComment::unitAt(const char *data, std::size_t index) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    if (m_unit == 1)
        return bytes[index];
    const unsigned first = bytes[2 * index];
    const unsigned second = bytes[2 * index + 1];
    return m_bigEndian ? (first << 8) | second : first | (second << 8);
}

// The parser holds a token from its first byte, so "<!--" there opens a comment, whatever the
// context. Its bytes also tell UTF-16 from the sets that keep ASCII's bytes.
bool LongComment::holdsComment(const char *held, std::size_t size)
{
    if (size >= 4 && std::memcmp(held, "<!--", 4) == 0) {
        m_unit = 1;
        return true;
    }
    // An odd size would leave the next read starting inside a code unit; every read but a
    // document's last is even in size, so only the end of a document leaves one.
    if (size < 8 || size % 2 != 0)
        return false;
    m_unit = 2;
    if (std::memcmp(held, "<\0!\0-\0-\0", 8) == 0) {
        m_bigEndian = false;
        return true;
    }
    if (std::memcmp(held, "\0<\0!\0-\0-", 8) == 0) {
        m_bigEndian = true;
        return true;
    }
    m_unit = 1;
    return false;
}

// How many of the held text's last two characters are hyphens, not counting its opening "<!--".
int LongComment::endingHyphens(const char *held, std::size_t size) const
{
    const std::size_t units = size / static_cast<std::size_t>(m_unit);
    if (units <= 4 || unitAt(held, units - 1) != '-')
        return 0;
    return units > 5 && unitAt(held, units - 2) == '-' ? 2 : 1;
}

// The last place in the read, counted in code units, where a cut falls between two characters,
// not after a hyphen and not between a carriage return and what may be a line feed; 0 when
// there is none.
std::size_t LongComment::cutPoint(const char *data, std::size_t units,
                                  bool multiByteLegacySet) const
{
    for (std::size_t at = units; at > 0; --at) {
        // Between CR and LF the parser would end the piece with a line end of its own and
        // begin the next with another; before any other character a CR ends its line alike.
        const unsigned before = unitAt(data, at - 1);
        if (before == '-' || (before == '\r' && (at == units || unitAt(data, at) == '\n')))
            continue;
        if (m_unit == 2) {
            // A high surrogate begins a pair.
            if (before < 0xD800 || before > 0xDBFF)
                return at;
        } else if (multiByteLegacySet) {
            // Blanks and the punctuation below "0" are no byte of a multi-byte character in
            // any set the parser can be given.
            if (before < 0x30)
                return at;
        } else if (at < units && (unitAt(data, at) & 0xC0) != 0x80) {
            // In UTF-8 a byte that continues no sequence begins a character; in a single-byte
            // set every byte does.
            return at;
        }
    }
    return 0;
}

int LongComment::cut(char *data, int size, bool multiByteLegacySet)
{
    const auto bytes = static_cast<std::size_t>(size);
    const std::size_t units = bytes / static_cast<std::size_t>(m_unit);
    if (units == 0)
        return size;
    // A "--" ends the comment or is a fault; either way the parser is given the read whole.
    if (m_endingHyphens == 2 || (m_endingHyphens == 1 && unitAt(data, 0) == '-'))
        return size;
    if (m_unit == 1) {
        if (std::string_view(data, bytes).find("--") != std::string_view::npos)
            return size;
    } else {
        for (std::size_t i = 0; i + 1 < units; ++i) {
            if (unitAt(data, i) == '-' && unitAt(data, i + 1) == '-')
                return size;
        }
    }
    const std::size_t at
            = cutPoint(data, units, multiByteLegacySet) * static_cast<std::size_t>(m_unit);
    if (at == 0)
        return size;
    const std::size_t markBytes = cutMark.size() * static_cast<std::size_t>(m_unit);
    std::memmove(data + at + markBytes, data + at, bytes - at);
    char *mark = data + at;
    for (const char character : cutMark) {
        if (m_unit == 2 && m_bigEndian)
            *mark++ = '\0';
        *mark++ = character;
        if (m_unit == 2 && !m_bigEndian)
            *mark++ = '\0';
    }
    m_inserted += static_cast<XML_Index>(markBytes);
    m_cutPending = true;
    return size + static_cast<int>(markBytes);
}

void LongComment::afterParse(XML_Parser parser, const ParsePosition &position)
{
    const bool cutParsed = std::exchange(m_cutPending, false);
    int offset = 0;
    int size = 0;
    const char *buffer = XML_GetInputContext(parser, &offset, &size);
    if (!buffer || offset < 0 || offset > size) {
        m_streaming = false;
        m_begun = false;
        return;
    }
    const auto held = static_cast<std::size_t>(size - offset);
    if (!m_streaming && held <= streamFrom)
        return;
    const char *start = buffer + offset;
    const XML_Index index = XML_GetCurrentByteIndex(parser);
    if (m_streaming) {
        // The parser holds the rest of a cut read, or still the same token.
        if ((cutParsed || index == m_heldIndex) && holdsComment(start, held)) {
            if (cutParsed) {
                const XML_Size line = position.line();
                if (line != m_shiftLine) {
                    m_shiftLine = line;
                    m_shiftColumns = 0;
                }
                m_shiftColumns += cutMark.size();
            }
            m_heldIndex = index;
            m_endingHyphens = endingHyphens(start, held);
            return;
        }
        m_streaming = false;
        m_begun = false;
        if (held <= streamFrom)
            return;
    }
    if (!holdsComment(start, held))
        return;
    m_streaming = true;
    m_heldIndex = index;
    m_startLine = position.line();
    m_startColumn = column(m_startLine, position.column());
    m_startIndex = byteIndex(index);
    m_endingHyphens = endingHyphens(start, held);
}

LongComment::Part LongComment::reported()
{
    if (m_cutPending) {
        const Part part = m_begun ? Part::Middle : Part::First;
        m_begun = true;
        return part;
    }
    if (m_begun) {
        m_begun = false;
        return Part::Last;
    }
    return Part::Whole;
}

XML_Size LongComment::column(XML_Size line, XML_Size column) const
{
    return line == m_shiftLine && column >= m_shiftColumns ? column - m_shiftColumns : column;
}
