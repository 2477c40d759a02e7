#include "conversion/walk/delimitedpath.h"

DelimitedPath::DelimitedPath(std::string_view delimiter) : m_delimiter(delimiter)
{
    m_buffer.append(m_delimiter);
}

void DelimitedPath::assign(std::string_view name)
{
    m_buffer.clear();
    m_entered.clear();
    m_buffer.append(name);
    m_buffer.append(m_delimiter);
}
