#pragma once

#include "conversion/walk/bytebuffer.h"
#include "conversion/walk/spillfile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The blanks that lead a text, held until the text shows whether it has any other character.
// A long run is kept as short patterns and their numbers of repeats, so that the endless blanks
// of a pretty-printer or a stream (" ", "\n  ", " \n") take the same memory whatever their
// length; blanks that follow no pattern are moved to a spill file once they pass a few hundred
// KiB, so that memory stays flat for any run.
class BlankRun {
public:
    bool empty() const { return m_raw.empty() && m_parts.empty() && m_period.empty(); }
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
        if (!m_parts.empty() || !m_period.empty())
            clearLong();
    }

    // Hands the blanks, in order, to write(const char *, std::size_t).
    template<typename Write> void writeTo(Write &&write) const
    {
        for (const Part &part : m_parts) {
            if (part.spilledSize > 0) {
                m_spill.readBack(part.spilledAt, part.spilledSize, write);
                continue;
            }
            for (std::uint64_t i = 0; i < part.repeats; ++i)
                write(part.bytes.data(), part.bytes.size());
        }
        for (std::uint64_t i = 0; i < m_repeats; ++i)
            write(m_period.data(), m_period.size());
        write(m_period.data(), m_matched);
        write(m_raw.data(), m_raw.size());
    }

private:
    // The run's earlier parts: a pattern and its repeats, blanks that follow none (one repeat),
    // or blanks in the spill file.
    struct Part {
        std::string bytes;
        std::uint64_t repeats = 1;
        std::uint64_t spilledAt = 0;
        std::uint64_t spilledSize = 0;
    };

    // Raw blanks up to this size are simply kept; beyond it a pattern is looked for.
    static constexpr std::size_t checkedSize = 64 * 1024;
    static constexpr std::size_t longestPeriod = 4096;
    // Blanks that follow no pattern, held in memory beyond this, go to the spill file.
    static constexpr std::size_t heldLimit = 512 * 1024;

    void appendLong(const char *data, std::size_t size);
    void clearLong();
    void findPeriod();
    void endPeriod();
    void spill();
    void spillBytes(const char *data, std::size_t size, std::vector<Part> &parts);

    std::vector<Part> m_parts;
    std::size_t m_heldBytes = 0; // of the parts' blanks that follow no pattern
    std::string m_period; // when not empty: the pattern now repeating
    std::uint64_t m_repeats = 0;
    std::size_t m_matched = 0; // bytes of the next repeat seen so far
    ByteBuffer m_raw; // the latest blanks that follow no pattern
    std::size_t m_nextCheck = checkedSize;
    SpillFile m_spill;
};
