#include "conversion/flattenwalk.h"

FlattenWalk::FlattenWalk(std::string_view delimiter, OutputBuffer &output)
    : m_delimiter(delimiter), m_output(output), m_path(delimiter)
{
}
