#pragma once

#include "conversion/csvformat.h"

#include <cstring>
#include <string>
#include <string_view>

// Encloses fields in double quotes as RFC 4180 reads them: a field holding the delimiter text, a
// double quote, CR or LF (or, quoting all, any field) is written between double quotes with
// every double quote inside doubled.
class FieldQuoting {
public:
    FieldQuoting(std::string_view delimiter, CsvFormat::Quoting quoting)
        : m_delimiter(delimiter), m_quoting(quoting)
    {
    }

    bool quotes() const { return m_quoting != CsvFormat::Quoting::None; }

    bool needsQuotes(std::string_view field) const
    {
        switch (m_quoting) {
        case CsvFormat::Quoting::None:
            return false;
        case CsvFormat::Quoting::All:
            return true;
        case CsvFormat::Quoting::Needed:
            break;
        }
        return field.find_first_of("\"\r\n") != std::string_view::npos
                || (!m_delimiter.empty() && field.find(m_delimiter) != std::string_view::npos);
    }

    // Appends the field to sink (anything with append(const char *, std::size_t)).
    template<typename Sink> void appendField(Sink &sink, std::string_view field) const
    {
        if (!needsQuotes(field)) {
            sink.append(field.data(), field.size());
            return;
        }
        sink.append("\"", 1);
        appendEscaped(sink, field);
        sink.append("\"", 1);
    }

    // Appends a piece of a quoted field, doubling its double quotes.
    template<typename Sink> static void appendEscaped(Sink &sink, std::string_view piece)
    {
        const char *data = piece.data();
        std::size_t size = piece.size();
        while (const void *found = size ? std::memchr(data, '"', size) : nullptr) {
            const std::size_t upTo
                    = static_cast<std::size_t>(static_cast<const char *>(found) - data) + 1;
            sink.append(data, upTo);
            sink.append("\"", 1);
            data += upTo;
            size -= upTo;
        }
        sink.append(data, size);
    }

private:
    std::string m_delimiter;
    CsvFormat::Quoting m_quoting;
};
