#include "conversion/walk/flattenwalk.h"

FlattenWalk::FlattenWalk(std::string_view delimiter, OutputBuffer &output)
    : FlattenWalk(delimiter, CsvFormat::Quoting::None, true, output)
{
}

FlattenWalk::FlattenWalk(std::string_view delimiter, CsvFormat::Quoting quoting, bool crlf,
                         OutputBuffer &output, bool formulasAsText)
    : m_delimiter(delimiter),
      m_quoting(delimiter, quoting, formulasAsText),
      m_output(output),
      m_path(delimiter),
      m_quotes(quoting != CsvFormat::Quoting::None || formulasAsText),
      m_crlf(crlf)
{
}

void FlattenWalk::quotedValueBytes(const char *data, std::size_t size)
{
    if (m_valueQuoted) {
        FieldQuoting::appendEscaped(m_output, std::string_view(data, size));
        return;
    }
    // The value's first byte decides whether it could be taken for a formula; its quote is
    // held with it, so a value quoted in pieces gets it too.
    if (m_heldValue.empty() && size > 0 && m_quoting.formulasAsText()
        && FieldQuoting::startsFormula(std::string_view(data, size)))
        m_heldValue.push_back('\'');
    m_heldValue.append(data, size);
    if (m_heldValue.size() > heldValueLimit) {
        m_output.append("\"", 1);
        FieldQuoting::appendEscaped(m_output, m_heldValue.view());
        m_heldValue.clear();
        m_valueQuoted = true;
    }
}

void FlattenWalk::setQuotedPendingName(std::string_view prefix, std::string_view localName)
{
    if (prefix.empty()) {
        m_quoting.appendField(m_pendingName, localName);
        return;
    }
    m_field.clear();
    if (!prefix.empty()) {
        m_field.append(prefix);
        m_field.push_back(':');
    }
    m_field.append(localName);
    m_quoting.appendField(m_pendingName, m_field.view());
}
