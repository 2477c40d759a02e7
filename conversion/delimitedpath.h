#pragma once

#include "conversion/bytebuffer.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The element path of the flattening walk: names joined by the delimiter, as UTF-8 bytes.
// shorten() removes what follows the last delimiter that a left-to-right, non-overlapping
// split of the whole path finds, which is not always the last name appended: a name may hold
// the delimiter text, and a multi-character delimiter may straddle a name boundary. An empty
// delimiter never shortens the path.
class DelimitedPath {
public:
    explicit DelimitedPath(std::string_view delimiter);

    // Makes the path hold this one name.
    void assign(std::string_view name);
    // Appends the delimiter and the name.
    void extend(std::string_view name);
    // Cuts the path at the last delimiter its split finds; no change when it finds none.
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
    void findSplitsFrom(std::size_t oldSize);

    std::string m_delimiter;
    ByteBuffer m_buffer; // the path, then the delimiter
    // Where the split of the path finds the delimiter, in increasing order. Appending never
    // moves these: the split of a prefix is the split of the whole cut short.
    std::vector<std::size_t> m_splits;
};

inline void DelimitedPath::extend(std::string_view name)
{
    const std::size_t oldSize = m_buffer.size() - m_delimiter.size();
    m_buffer.append(name);
    m_buffer.append(m_delimiter);
    findSplitsFrom(oldSize);
}

inline void DelimitedPath::shorten()
{
    if (m_splits.empty())
        return;
    // Every earlier split ends at or before this one begins, so the rest stay valid; the
    // delimiter found there stays as the one that follows the path.
    m_buffer.truncate(m_splits.back() + m_delimiter.size());
    m_splits.pop_back();
}

inline void DelimitedPath::extendAndShorten(std::string_view name)
{
    if (m_delimiter.size() == 1) {
        // The split finds every occurrence of a one-byte delimiter, so the cut falls at the
        // name's last one, or at the delimiter before the name, which leaves the path as it was.
        const char delimiter = m_delimiter.front();
        for (std::size_t i = name.size(); i-- > 0;) {
            if (name[i] == delimiter) {
                extend(name.substr(0, i));
                return;
            }
        }
        return;
    }
    extend(name);
    shorten();
}

inline void DelimitedPath::findSplitsFrom(std::size_t oldSize)
{
    const std::size_t length = m_delimiter.size();
    if (length == 0)
        return;
    const std::size_t end = m_buffer.size() - length;
    if (length == 1) {
        // A one-byte delimiter cannot overlap itself: the split finds every occurrence.
        const char delimiter = m_delimiter.front();
        const char *path = m_buffer.data();
        for (std::size_t i = oldSize; i < end; ++i) {
            if (path[i] == delimiter)
                m_splits.push_back(i);
        }
        return;
    }
    // The split resumes where its last match ended. A match starting earlier than
    // oldSize - length + 1 would lie wholly in the old path, where the split found none.
    std::size_t from = m_splits.empty() ? 0 : m_splits.back() + length;
    if (oldSize + 1 > length && from < oldSize + 1 - length)
        from = oldSize + 1 - length;
    const std::string_view path = m_buffer.view().substr(0, end);
    for (;;) {
        const std::size_t found = path.find(m_delimiter, from);
        if (found == std::string_view::npos)
            return;
        m_splits.push_back(found);
        from = found + length;
    }
}
