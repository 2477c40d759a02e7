#pragma once

#include <expat.h>

#include <functional>

// The lines ended before a place in the parser's input, from 0, and the characters since the
// last of them, as the parser counts them.
struct CountedPosition {
    XML_Size lines = 0;
    XML_Size column = 0;
};

// Where the parser stands in its input, or where its error is, in its own lines and columns.
// The parser counts them itself, or, once its counting is done elsewhere (on the walk's thread,
// see XML_SetPositionHandler), counts only the input of its current call, and what was counted
// of the input before that call is added.
class ParsePosition {
public:
    explicit ParsePosition(XML_Parser parser) : m_parser(parser) { }

    // before() gives what has been counted of the input before the parser's current call,
    // waiting for it when need be.
    void countedElsewhere(std::function<CountedPosition()> before) { m_before = std::move(before); }

    XML_Size line() const
    {
        const XML_Size line = XML_GetCurrentLineNumber(m_parser);
        return m_before ? m_before().lines + line : line;
    }
    XML_Size column() const
    {
        const XML_Size column = XML_GetCurrentColumnNumber(m_parser);
        if (!m_before || XML_GetCurrentLineNumber(m_parser) != 1)
            return column;
        return m_before().column + column;
    }

private:
    XML_Parser m_parser;
    std::function<CountedPosition()> m_before;
};
