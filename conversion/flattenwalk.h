#pragma once

#include "conversion/bytebuffer.h"
#include "conversion/delimitedpath.h"
#include "conversion/outputbuffer.h"

#include <QtGlobal>

#include <array>
#include <string>
#include <string_view>

// The flattening walk run on the parser's events in document order instead of on a tree: it
// writes exactly the lines of the recursive walk over the document's node tree. A text node is
// the character data between two markup events, dropped when it is only blanks; an element's
// name joins the path at its first child, or gives a line of its own at its end if it has none.
// Memory stays bounded by the nesting depth and the longest value.
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

    // Writes the lines to output; the delimiter is UTF-8.
    FlattenWalk(std::string_view delimiter, OutputBuffer &output);

    // The parser's events, in document order; names and data are UTF-8.
    void startElement(std::string_view prefix, std::string_view localName);
    void endElement();
    void characters(const char *data, std::size_t size);
    void startCdata();
    void endCdata();
    void comment(std::string_view text);
    void processingInstruction(std::string_view target, std::string_view data);

    qint64 linesWritten() const { return m_lines; }
    // Counts the events seen, so that the reader can tell a chunk that completed none.
    quint64 events() const { return m_events; }
    // The step the walk was at when an operation last began.
    int step() const { return m_step; }

private:
    // What is known of the innermost open element.
    enum class Top {
        Open, // its name is on the path
        Pending, // no child yet; its name waits in m_pendingName
        // One text child written, its name not yet on the path: the usual leaf such as
        // <price>9.50</price> then costs no extension and no split of the path.
        TextOnly,
    };

    void flushText();
    void openTop();
    void setPendingName(std::string_view prefix, std::string_view localName);
    void writeChildLine(std::string_view name, std::string_view value);
    void writeTextValue(std::string_view text);

    std::string m_delimiter;
    OutputBuffer &m_output;
    DelimitedPath m_path;
    ByteBuffer m_pendingName;
    ByteBuffer m_text;
    ByteBuffer m_cdata;
    qint64 m_depth = 0;
    qint64 m_lines = 0;
    quint64 m_events = 0;
    int m_step = PathStart;
    Top m_top = Top::Open;
    unsigned char m_textKinds = 0; // the bytes of m_text, as FlattenWalkDetail kinds
    bool m_inCdata = false;
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
} // namespace FlattenWalkDetail

inline void FlattenWalk::characters(const char *data, std::size_t size)
{
    ++m_events;
    // Reading the value belongs to the step that writes its line.
    m_step = m_inCdata ? OtherLine : TextLine;
    if (m_inCdata) {
        m_cdata.append(data, size);
        return;
    }
    m_text.append(data, size);
    unsigned char kinds = 0;
    for (std::size_t i = 0; i < size; ++i)
        kinds |= FlattenWalkDetail::textByteKinds[static_cast<unsigned char>(data[i])];
    m_textKinds |= kinds;
}

inline void FlattenWalk::openTop()
{
    if (m_top == Top::Open)
        return;
    m_step = ExtendPath;
    m_path.extend(m_pendingName.view());
    m_top = Top::Open;
}

inline void FlattenWalk::writeChildLine(std::string_view name, std::string_view value)
{
    m_step = OtherLine;
    m_output.append(m_path.withDelimiter());
    m_output.append(name);
    m_output.append(m_delimiter);
    m_output.append(value);
    m_output.append("\r\n", 2);
    ++m_lines;
}

inline void FlattenWalk::writeTextValue(std::string_view text)
{
    // Values are short: a plain loop beats a library search.
    static constexpr std::string_view removed = "&#13;";
    const char *data = text.data();
    const std::size_t size = text.size();
    std::size_t from = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '&' && text.substr(i, removed.size()) == removed) {
            m_output.append(data + from, i - from);
            from = i + removed.size();
            i = from - 1;
        }
    }
    m_output.append(data + from, size - from);
}

inline void FlattenWalk::flushText()
{
    if (m_textKinds & FlattenWalkDetail::Content) {
        m_step = TextLine;
        if (m_top == Top::Pending) {
            // The line the element's name would give once on the path.
            m_output.append(m_path.withDelimiter());
            m_output.append(m_pendingName.view());
            m_output.append(m_delimiter);
            m_top = Top::TextOnly;
        } else {
            openTop();
            m_step = TextLine;
            m_output.append(m_path.withDelimiter());
        }
        if (m_textKinds & FlattenWalkDetail::Ampersand)
            writeTextValue(m_text.view());
        else
            m_output.append(m_text.view());
        m_output.append("\r\n", 2);
        ++m_lines;
    }
    m_text.clear();
    m_textKinds = 0;
}

inline void FlattenWalk::setPendingName(std::string_view prefix, std::string_view localName)
{
    m_pendingName.clear();
    if (!prefix.empty()) {
        m_pendingName.append(prefix);
        m_pendingName.push_back(':');
    }
    m_pendingName.append(localName);
}

inline void FlattenWalk::startElement(std::string_view prefix, std::string_view localName)
{
    ++m_events;
    if (!m_text.empty())
        flushText();
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

inline void FlattenWalk::endElement()
{
    ++m_events;
    if (!m_text.empty())
        flushText();
    switch (m_top) {
    case Top::Pending:
        writeChildLine(m_pendingName.view(), {});
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
    if (!m_text.empty())
        flushText();
    m_step = TakeChild;
    m_inCdata = true;
    m_cdata.clear();
}

inline void FlattenWalk::endCdata()
{
    ++m_events;
    m_inCdata = false;
    openTop();
    writeChildLine("#cdata-section", m_cdata.view());
}

inline void FlattenWalk::comment(std::string_view text)
{
    processingInstruction("#comment", text);
}

// A comment or instruction is a childless node: one line under its parent, none outside the root.
inline void FlattenWalk::processingInstruction(std::string_view target, std::string_view data)
{
    ++m_events;
    if (m_depth == 0)
        return;
    if (!m_text.empty())
        flushText();
    openTop();
    writeChildLine(target, data);
}
