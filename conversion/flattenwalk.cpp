#include "conversion/flattenwalk.h"

FlattenWalk::FlattenWalk(std::string_view delimiter, OutputBuffer &output)
    : FlattenWalk(delimiter, CsvFormat::Quoting::None, "\r\n", output)
{
}

FlattenWalk::FlattenWalk(std::string_view delimiter, CsvFormat::Quoting quoting,
                         std::string_view lineEnd, OutputBuffer &output)
    : m_delimiter(delimiter),
      m_lineEnd(lineEnd),
      m_quoting(delimiter, quoting),
      m_output(output),
      m_path(delimiter)
{
}
