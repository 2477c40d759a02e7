#pragma once

#include "conversion/walk/blankrun.h"
#include "conversion/walk/bytebuffer.h"
#include "conversion/walk/delimitedpath.h"
#include "conversion/walk/fieldquoting.h"
#include "conversion/walk/outputbuffer.h"

#include <QtGlobal>

#include <array>
#include <cstring>
#include <string>
#include <string_view>

// The flattening walk run on the parser's events in document order instead of on a tree: it
// writes exactly the lines of the recursive walk over the document's node tree. A text node is
// the character data between two markup events, dropped when it is only blanks; an element's
// name joins the path at its first child, or gives a line of its own at its end if it has none.
// Values are written as they arrive: memory stays bounded by the nesting depth, the longest name
// and the blanks that lead a text before its first other character.
class FlattenWalk {
public:
    // The walk's step numbers, which the error report shows for an unexpected failure.
    enum Step : int {
        PathStart = 108,
        TakeChild = 112,
        ChildName = 114,
        TextLine = 118,
        ExtendPath = 122,
        OtherLine = 128,
        SplitPath = 130,
    };

    // Writes the lines to output, ending each with CR LF or LF; the delimiter is UTF-8.
    FlattenWalk(std::string_view delimiter, OutputBuffer &output);
    // Fields are quoted as quoting asks, and with formulasAsText a field a spreadsheet would
    // take for a formula starts with a single quote.
    FlattenWalk(std::string_view delimiter, CsvFormat::Quoting quoting, bool crlf,
                OutputBuffer &output, bool formulasAsText = false);

    // The parser's events, in document order; names and data are UTF-8.
    void startElement(std::string_view prefix, std::string_view localName);
    // An attribute of the element just started: a line "path,@name,value".
    void attribute(std::string_view prefix, std::string_view localName, std::string_view value);
    void endElement();
    void characters(const char *data, std::size_t size);
    void startCdata();
    void endCdata();
    void comment(std::string_view text);
    // A comment whose text arrives in pieces: the line comment() writes for the whole text.
    void beginComment();
    void commentText(const char *data, std::size_t size);
    void endComment();
    void processingInstruction(std::string_view target, std::string_view data);

    qint64 linesWritten() const { return m_lines; }
    // Counts the events seen, so that the reader can tell a chunk that completed none.
    quint64 events() const { return m_events; }
    // The step the walk was at when an operation last began.
    int step() const { return m_step; }

    // A quoted value is held up to this size to learn whether it needs quotes; a longer one is
    // quoted whatever it holds, which every CSV reader reads the same.
    static constexpr std::size_t heldValueLimit = 64 * 1024;

private:
    // What is known of the innermost open element.
    enum class Top {
        Open, // its name is on the path
        Pending, // no child yet; its name waits in m_pendingName
        // One text child written, its name not yet on the path: the usual leaf such as
        // <price>9.50</price> then costs no extension and no split of the path.
        TextOnly,
    };

    void finishText();
    void startTextLine();
    void textPiece(const char *data, std::size_t size);
    void openTop();
    void setPendingName(std::string_view prefix, std::string_view localName);
    void writeLineStart(std::string_view encodedName);
    // Starts the line of a childless node under the open element, up to its value.
    void startChildLine(std::string_view name);
    bool startLeafLine(std::string_view name);
    void valueBytes(const char *data, std::size_t size);
    void quotedValueBytes(const char *data, std::size_t size);
    void setQuotedPendingName(std::string_view prefix, std::string_view localName);
    void endValue();

    std::string m_delimiter;
    FieldQuoting m_quoting;
    OutputBuffer &m_output;
    DelimitedPath m_path;
    ByteBuffer m_pendingName; // as written: quoted when it needs to be
    ByteBuffer m_field;
    BlankRun m_blanks; // the text so far while it holds nothing but blanks
    ByteBuffer m_heldValue; // the value so far while quoting is undecided
    char m_carry[4] = {}; // a text's last bytes while they may begin "&#13;"
    std::size_t m_carrySize = 0;
    qint64 m_depth = 0;
    qint64 m_lines = 0;
    quint64 m_events = 0;
    int m_step = PathStart;
    Top m_top = Top::Open;
    bool m_inText = false; // a text line has been started and not yet ended
    bool m_inCdata = false;
    bool m_inComment = false; // a comment's line is being written
    bool m_valueQuoted = false; // the opening quote of the current value is written
    bool m_quotes; // whether values may need quotes, or a quote before them, at all
    bool m_crlf;
};

namespace FlattenWalkDetail {
// What a byte of text tells: a blank adds nothing, any other byte makes the text content, and
// an ampersand may begin the characters "&#13;".
enum : unsigned char { Content = 1, Ampersand = 2 };
inline constexpr std::array<unsigned char, 256> textByteKinds = [] {
    std::array<unsigned char, 256> kinds{};
    kinds.fill(Content);
    kinds[static_cast<unsigned char>(' ')] = 0;
    kinds[static_cast<unsigned char>('\t')] = 0;
    kinds[static_cast<unsigned char>('\r')] = 0;
    kinds[static_cast<unsigned char>('\n')] = 0;
    kinds[static_cast<unsigned char>('&')] = Content | Ampersand;
    return kinds;
}();

// The characters a text drops wherever they stand.
inline constexpr std::string_view removedText = "&#13;";
} // namespace FlattenWalkDetail

inline void FlattenWalk::valueBytes(const char *data, std::size_t size)
{
    if (!m_quotes)
        m_output.append(data, size);
    else
        quotedValueBytes(data, size);
}

inline void FlattenWalk::endValue()
{
    if (m_quotes) {
        if (m_valueQuoted)
            m_output.append("\"", 1);
        else
            m_quoting.appendField(m_output, m_heldValue.view());
        m_heldValue.clear();
        m_valueQuoted = false;
    }
    if (m_crlf)
        m_output.append("\r\n", 2);
    else
        m_output.append("\n", 1);
    ++m_lines;
}

inline void FlattenWalk::characters(const char *data, std::size_t size)
{
    ++m_events;
    // Reading the value belongs to the step that writes its line.
    if (m_inCdata) {
        m_step = OtherLine;
        valueBytes(data, size);
        return;
    }
    m_step = TextLine;
    if (m_inText) {
        textPiece(data, size);
        return;
    }
    unsigned char kinds = 0;
    for (std::size_t i = 0; i < size; ++i)
        kinds |= FlattenWalkDetail::textByteKinds[static_cast<unsigned char>(data[i])];
    if (!(kinds & FlattenWalkDetail::Content)) {
        m_blanks.append(data, size);
        return;
    }
    startTextLine();
    if (!m_blanks.empty()) {
        m_blanks.writeTo(
                [this](const char *blanks, std::size_t count) { valueBytes(blanks, count); });
        m_blanks.clear();
    }
    if (kinds & FlattenWalkDetail::Ampersand)
        textPiece(data, size);
    else
        valueBytes(data, size);
}

// Writes a piece of text without the characters "&#13;", which may span pieces.
inline void FlattenWalk::textPiece(const char *data, std::size_t size)
{
    using FlattenWalkDetail::removedText;
    if (m_carrySize > 0) {
        const std::size_t wanted = removedText.size() - m_carrySize;
        const std::size_t taken = std::min(wanted, size);
        if (removedText.substr(m_carrySize, taken) == std::string_view(data, taken)) {
            if (taken < wanted) {
                std::memcpy(m_carry + m_carrySize, data, taken);
                m_carrySize += taken;
                return;
            }
            data += taken;
            size -= taken;
        } else {
            // Only the first byte of "&#13;" is an ampersand: nothing in the carry begins another.
            valueBytes(m_carry, m_carrySize);
        }
        m_carrySize = 0;
    }
    std::size_t from = 0;
    for (;;) {
        const void *found = from < size ? std::memchr(data + from, '&', size - from) : nullptr;
        if (!found)
            break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char *>(found) - data);
        const std::string_view rest(data + at, std::min(size - at, removedText.size()));
        if (rest == removedText) {
            valueBytes(data, at);
            data += at + removedText.size();
            size -= at + removedText.size();
            from = 0;
        } else if (rest.size() < removedText.size() && removedText.starts_with(rest)) {
            valueBytes(data, at);
            std::memcpy(m_carry, rest.data(), rest.size());
            m_carrySize = rest.size();
            return;
        } else {
            from = at + 1;
        }
    }
    valueBytes(data, size);
}

inline void FlattenWalk::openTop()
{
    if (m_top == Top::Open)
        return;
    m_step = ExtendPath;
    m_path.extend(m_pendingName.view());
    m_top = Top::Open;
}

inline void FlattenWalk::writeLineStart(std::string_view encodedName)
{
    m_output.append(m_path.withDelimiter());
    m_output.append(encodedName);
    m_output.append(m_delimiter);
}

inline void FlattenWalk::startChildLine(std::string_view name)
{
    m_step = OtherLine;
    m_output.append(m_path.withDelimiter());
    m_quoting.appendField(m_output, name);
    m_output.append(m_delimiter);
}

inline void FlattenWalk::startTextLine()
{
    m_step = TextLine;
    if (m_top == Top::Pending) {
        // The line the element's name would give once on the path.
        writeLineStart(m_pendingName.view());
        m_top = Top::TextOnly;
    } else {
        openTop();
        m_step = TextLine;
        m_output.append(m_path.withDelimiter());
    }
    m_inText = true;
}

inline void FlattenWalk::finishText()
{
    if (m_inText) {
        valueBytes(m_carry, m_carrySize);
        m_carrySize = 0;
        endValue();
        m_inText = false;
    }
    m_blanks.clear();
}

inline void FlattenWalk::setPendingName(std::string_view prefix, std::string_view localName)
{
    m_pendingName.clear();
    if (m_quotes) {
        setQuotedPendingName(prefix, localName);
        return;
    }
    if (!prefix.empty()) {
        m_pendingName.append(prefix);
        m_pendingName.push_back(':');
    }
    m_pendingName.append(localName);
}

inline void FlattenWalk::startElement(std::string_view prefix, std::string_view localName)
{
    ++m_events;
    if (m_inText || !m_blanks.empty())
        finishText();
    if (m_depth == 0) {
        m_step = PathStart;
        setPendingName(prefix, localName);
        m_path.assign(m_pendingName.view());
        m_depth = 1;
        return;
    }
    openTop();
    m_step = ChildName;
    setPendingName(prefix, localName);
    m_top = Top::Pending;
    ++m_depth;
}

inline void FlattenWalk::attribute(std::string_view prefix, std::string_view localName,
                                   std::string_view value)
{
    m_step = OtherLine;
    if (m_top == Top::Pending)
        writeLineStart(m_pendingName.view());
    else
        m_output.append(m_path.withDelimiter());
    m_field.clear();
    m_field.push_back('@');
    if (!prefix.empty()) {
        m_field.append(prefix);
        m_field.push_back(':');
    }
    m_field.append(localName);
    m_quoting.appendField(m_output, m_field.view());
    m_output.append(m_delimiter);
    valueBytes(value.data(), value.size());
    endValue();
}

inline void FlattenWalk::endElement()
{
    ++m_events;
    if (m_inText || !m_blanks.empty())
        finishText();
    switch (m_top) {
    case Top::Pending:
        m_step = OtherLine;
        writeLineStart(m_pendingName.view());
        endValue();
        break;
    case Top::TextOnly:
        m_step = SplitPath;
        m_path.extendAndShorten(m_pendingName.view());
        break;
    case Top::Open:
        if (m_depth > 1) {
            m_step = SplitPath;
            m_path.shorten();
        }
        break;
    }
    m_top = Top::Open;
    --m_depth;
}

inline void FlattenWalk::startCdata()
{
    ++m_events;
    if (m_inText || !m_blanks.empty())
        finishText();
    m_step = TakeChild;
    openTop();
    startChildLine("#cdata-section");
    m_inCdata = true;
}

inline void FlattenWalk::endCdata()
{
    ++m_events;
    m_inCdata = false;
    m_step = OtherLine;
    endValue();
}

inline void FlattenWalk::comment(std::string_view text)
{
    processingInstruction("#comment", text);
}

inline void FlattenWalk::beginComment()
{
    m_inComment = startLeafLine("#comment");
}

inline void FlattenWalk::commentText(const char *data, std::size_t size)
{
    ++m_events;
    if (!m_inComment)
        return;
    m_step = OtherLine;
    valueBytes(data, size);
}

inline void FlattenWalk::endComment()
{
    ++m_events;
    if (!m_inComment)
        return;
    m_step = OtherLine;
    endValue();
    m_inComment = false;
}

// A comment or instruction is a childless node: one line under its parent, none outside the
// root. Returns whether the line was started.
inline bool FlattenWalk::startLeafLine(std::string_view name)
{
    ++m_events;
    if (m_depth == 0)
        return false;
    if (m_inText || !m_blanks.empty())
        finishText();
    openTop();
    startChildLine(name);
    return true;
}

inline void FlattenWalk::processingInstruction(std::string_view target, std::string_view data)
{
    if (startLeafLine(target)) {
        valueBytes(data.data(), data.size());
        endValue();
    }
}
