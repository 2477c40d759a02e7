#pragma once

#include "conversion/walk/parseposition.h"

#include <expat.h>

#include <cstddef>

// The parser finds the end of a token only within its buffer, so it would hold a comment whole,
// however long. Once it holds more than streamFrom bytes of one, each later read is cut: "-->"
// and "<!--" are put between two of the comment's characters, neither a hyphen, so that the
// parser closes what it holds as a comment of its own and the walk joins the pieces into one
// line. Faults inside the comment are still the parser's to find. A document whose comments fit
// in a read costs one look at the parser's state per read.
//
// The characters put in move the parser's columns on their line and its byte offsets; column()
// and byteIndex() take them out again.
class LongComment {
public:
    // Room a read needs beyond its own bytes for the characters put in.
    static constexpr int cutRoom = 16;
    // From this many bytes held in one comment, reads are cut.
    static constexpr std::size_t streamFrom = 64 * 1024;

    // Whether the parser holds the start of a long comment, so that the next read is to be cut.
    bool streaming() const { return m_streaming; }

    // Cuts a read that continues a long comment; data has cutRoom bytes of room after size.
    // Returns the size to parse. multiByteLegacySet: the document is in a multi-byte set other
    // than UTF-8, in which a cut may only follow a character that is never part of another.
    int cut(char *data, int size, bool multiByteLegacySet);

    // To be called after each parse that returned without fault.
    void afterParse(XML_Parser parser, const ParsePosition &position);

    enum class Part { Whole, First, Middle, Last };
    // What the comment the parser has just reported is of the document's comment.
    Part reported();

    // Where the document has what the parser places at line and column, or at byte index.
    XML_Size column(XML_Size line, XML_Size column) const;
    XML_Index byteIndex(XML_Index index) const { return index - m_inserted; }

    // Where the long comment being streamed starts: the place of a fault at the input's end.
    XML_Size startLine() const { return m_startLine; }
    XML_Size startColumn() const { return m_startColumn; }
    XML_Index startIndex() const { return m_startIndex; }

private:
    bool holdsComment(const char *held, std::size_t size);
    unsigned unitAt(const char *data, std::size_t index) const;
    int endingHyphens(const char *held, std::size_t size) const;
    std::size_t cutPoint(const char *data, std::size_t units, bool multiByteLegacySet) const;

    XML_Index m_heldIndex = -1; // where the token the parser holds starts
    XML_Index m_inserted = 0; // bytes put in so far
    XML_Index m_startIndex = 0;
    XML_Size m_startLine = 0;
    XML_Size m_startColumn = 0;
    XML_Size m_shiftLine = 0; // the line of the last cut
    XML_Size m_shiftColumns = 0; // characters put in on that line
    int m_unit = 1; // bytes per code unit: 2 for UTF-16
    bool m_bigEndian = false;
    bool m_streaming = false;
    bool m_cutPending = false; // the parse about to return was given a cut read
    int m_endingHyphens = 0; // how many of the held text's last two characters are "-"
    bool m_begun = false; // the walk has been given a piece of the comment
};
