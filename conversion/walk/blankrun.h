#pragma once

#include "conversion/walk/bytebuffer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The blanks that lead a text, held until the text shows whether it has any other character.
// A long run is kept as a short pattern and its number of repeats, so that the endless blanks
// of a pretty-printer or a stream (" ", "\n  ", " \n") take the same memory whatever their
// length; only a long run without any repeating pattern is held whole.
class BlankRun {
public:
    bool empty() const { return m_raw.empty() && m_segments.empty() && m_period.empty(); }
    void append(const char *data, std::size_t size)
    {
        if (m_period.empty() && m_raw.size() + size <= checkedSize) {
            m_raw.append(data, size);
            return;
        }
        appendLong(data, size);
    }
    void clear()
    {
        m_raw.clear();
        if (!m_segments.empty() || !m_period.empty())
            clearLong();
    }

    // Hands the blanks, in order, to write(const char *, std::size_t).
    template<typename Write> void writeTo(Write &&write) const
    {
        for (const Segment &segment : m_segments) {
            for (std::uint64_t i = 0; i < segment.repeats; ++i)
                write(segment.bytes.data(), segment.bytes.size());
        }
        for (std::uint64_t i = 0; i < m_repeats; ++i)
            write(m_period.data(), m_period.size());
        write(m_period.data(), m_matched);
        write(m_raw.data(), m_raw.size());
    }

private:
    struct Segment {
        std::string bytes;
        std::uint64_t repeats;
    };

    // Raw blanks up to this size are simply kept; beyond it a pattern is looked for.
    static constexpr std::size_t checkedSize = 64 * 1024;
    static constexpr std::size_t longestPeriod = 4096;

    void appendLong(const char *data, std::size_t size);
    void clearLong();
    void findPeriod();
    void endPeriod();

    std::vector<Segment> m_segments; // the run's earlier parts
    std::string m_period; // when not empty: the pattern now repeating
    std::uint64_t m_repeats = 0;
    std::size_t m_matched = 0; // bytes of the next repeat seen so far
    ByteBuffer m_raw; // the latest blanks that follow no pattern
    std::size_t m_nextCheck = checkedSize;
};
