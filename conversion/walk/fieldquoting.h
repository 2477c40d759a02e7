#pragma once

#include "conversion/csvformat.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Encloses fields in double quotes as RFC 4180 reads them, and keeps a spreadsheet from taking
// a field for a formula when asked: a field holding a character of the
// delimiter text (the delimiter itself when it is one character), a double quote, CR or LF (or,
// quoting all, any field) is written between double quotes with every double quote inside
// doubled. A reader that splits at any character of a longer delimiter (", " read as "," with
// the blanks after it skipped) then reads the same fields.
class FieldQuoting {
public:
    FieldQuoting(std::string_view delimiter, CsvFormat::Quoting quoting,
                 bool formulasAsText = false)
        : m_quoting(quoting), m_formulasAsText(formulasAsText)
    {
        m_special.fill(false);
        m_special[static_cast<unsigned char>('"')] = true;
        m_special[static_cast<unsigned char>('\r')] = true;
        m_special[static_cast<unsigned char>('\n')] = true;
        // The delimiter is UTF-8: a character is a byte below 0x80, or a lead byte and the
        // continuation bytes (10xxxxxx) after it.
        for (std::size_t at = 0; at < delimiter.size();) {
            std::size_t size = 1;
            while (at + size < delimiter.size()
                   && (static_cast<unsigned char>(delimiter[at + size]) & 0xC0) == 0x80)
                ++size;
            m_special[static_cast<unsigned char>(delimiter[at])] = true;
            m_characters.emplace_back(delimiter.substr(at, size));
            at += size;
        }
    }

    bool quotes() const { return m_quoting != CsvFormat::Quoting::None; }
    bool formulasAsText() const { return m_formulasAsText; }

    // True when a spreadsheet would take a field starting so for a formula, as the common
    // guidance on CSV injection lists the characters.
    static bool startsFormula(std::string_view field)
    {
        return !field.empty()
                && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos;
    }

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
        // One pass: a byte that may begin a delimiter character is checked further only where
        // it stands.
        const std::size_t size = field.size();
        for (std::size_t i = 0; i < size; ++i) {
            const char byte = field[i];
            if (!m_special[static_cast<unsigned char>(byte)])
                continue;
            if (byte == '"' || byte == '\r' || byte == '\n')
                return true;
            for (const std::string &character : m_characters) {
                if (field.substr(i).starts_with(character))
                    return true;
            }
        }
        return false;
    }

    // Appends the field to sink (anything with append(const char *, std::size_t)).
    template<typename Sink> void appendField(Sink &sink, std::string_view field) const
    {
        const bool asText = m_formulasAsText && startsFormula(field);
        if (!needsQuotes(field)) {
            if (asText)
                sink.append("'", 1);
            sink.append(field.data(), field.size());
            return;
        }
        sink.append(asText ? "\"'" : "\"", asText ? 2 : 1);
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
    std::vector<std::string> m_characters; // the delimiter's characters, as UTF-8
    CsvFormat::Quoting m_quoting;
    bool m_formulasAsText;
    std::array<bool, 256> m_special; // the bytes that may make a field need quotes
};
