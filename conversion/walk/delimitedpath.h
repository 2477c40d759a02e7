#pragma once

#include "conversion/walk/bytebuffer.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The element path of the flattening walk: names joined by the delimiter, as UTF-8 bytes.
// shorten() restores the path as it was before the last extend(), whatever the name holds: a
// name may contain the delimiter text, and cutting at a found delimiter would then leave part
// of a closed element's name on the path. An empty delimiter never shortens the path.
class DelimitedPath {
public:
    explicit DelimitedPath(std::string_view delimiter);

    // Makes the path hold this one name.
    void assign(std::string_view name);
    // Appends the delimiter and the name.
    void extend(std::string_view name);
    // Removes the name the last extend() appended; no change when there is none.
    void shorten();
    // The same as extend(name) followed by shorten(), at less cost.
    void extendAndShorten(std::string_view name);

    std::string_view view() const
    {
        return m_buffer.view().substr(0, m_buffer.size() - m_delimiter.size());
    }
    // The path followed by the delimiter, which is how every line starts.
    std::string_view withDelimiter() const { return m_buffer.view(); }

private:
    std::string m_delimiter;
    ByteBuffer m_buffer; // the path, then the delimiter
    // The size of m_buffer before each extend() still on the path, innermost last.
    std::vector<std::size_t> m_entered;
};

inline void DelimitedPath::extend(std::string_view name)
{
    if (!m_delimiter.empty())
        m_entered.push_back(m_buffer.size());
    m_buffer.append(name);
    m_buffer.append(m_delimiter);
}

inline void DelimitedPath::shorten()
{
    if (m_entered.empty())
        return;
    m_buffer.truncate(m_entered.back());
    m_entered.pop_back();
}

inline void DelimitedPath::extendAndShorten(std::string_view name)
{
    // Without a delimiter nothing is ever removed, so the name stays.
    if (m_delimiter.empty())
        m_buffer.append(name);
}
