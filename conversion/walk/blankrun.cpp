#include "conversion/walk/blankrun.h"

#include <cstring>

void BlankRun::clearLong()
{
    m_parts.clear();
    m_heldBytes = 0;
    m_period.clear();
    m_repeats = 0;
    m_matched = 0;
    m_nextCheck = checkedSize;
    m_spill.clear();
}

void BlankRun::appendLong(const char *data, std::size_t size)
{
    while (size > 0) {
        if (m_period.empty()) {
            m_raw.append(data, size);
            if (m_raw.size() > m_nextCheck)
                findPeriod();
            if (m_period.empty() && m_heldBytes + m_raw.size() > heldLimit)
                spill();
            return;
        }
        const std::size_t period = m_period.size();
        if (m_matched == 0 && size >= period && std::memcmp(data, m_period.data(), period) == 0) {
            ++m_repeats;
            data += period;
            size -= period;
        } else if (*data == m_period[m_matched]) {
            if (++m_matched == period) {
                ++m_repeats;
                m_matched = 0;
            }
            ++data;
            --size;
        } else {
            endPeriod();
        }
    }
}

// Looks for the shortest pattern that the last blanks repeat at least twice.
void BlankRun::findPeriod()
{
    const std::size_t size = m_raw.size();
    const char *raw = m_raw.data();
    for (std::size_t period = 1; period <= longestPeriod && 2 * period <= size; ++period) {
        if (std::memcmp(raw + size - 2 * period, raw + size - period, period) != 0)
            continue;
        if (size > 2 * period) {
            m_parts.push_back({std::string(raw, size - 2 * period)});
            m_heldBytes += size - 2 * period;
        }
        m_period.assign(raw + size - period, period);
        m_repeats = 2;
        m_matched = 0;
        m_raw.clear();
        m_nextCheck = checkedSize;
        return;
    }
    // No pattern yet: look again once as many blanks more have come.
    m_nextCheck = 2 * size;
}

// A byte broke the pattern: its repeats become a finished part, the partial repeat raw blanks.
// A pattern that repeated too little to be worth a part of its own is written out as raw
// blanks, so that blanks that follow no pattern never make parts without end.
void BlankRun::endPeriod()
{
    m_raw.clear();
    if (m_repeats * m_period.size() <= 2 * longestPeriod) {
        for (std::uint64_t i = 0; i < m_repeats; ++i)
            m_raw.append(m_period.data(), m_period.size());
    } else {
        m_parts.push_back({m_period, m_repeats});
    }
    m_raw.append(m_period.data(), m_matched);
    m_period.clear();
    m_repeats = 0;
    m_matched = 0;
    m_nextCheck = m_raw.size() + checkedSize;
}

// Moves the blanks that follow no pattern to the spill file, but for the last ones, in which
// a pattern may yet begin.
void BlankRun::spill()
{
    std::vector<Part> parts;
    for (Part &part : m_parts) {
        if (part.repeats == 1 && part.spilledSize == 0)
            spillBytes(part.bytes.data(), part.bytes.size(), parts);
        else
            parts.push_back(std::move(part));
    }
    m_heldBytes = 0;
    const std::size_t kept = 2 * longestPeriod;
    if (m_raw.size() > kept) {
        spillBytes(m_raw.data(), m_raw.size() - kept, parts);
        const std::string last(m_raw.view().substr(m_raw.size() - kept));
        m_raw.clear();
        m_raw.append(last);
    }
    m_parts = std::move(parts);
    m_nextCheck = m_raw.size() + checkedSize;
}

// Appends the blanks to the spill file and to the last part when that ends where they start.
void BlankRun::spillBytes(const char *data, std::size_t size, std::vector<Part> &parts)
{
    const std::uint64_t at = m_spill.append(data, size);
    if (!parts.empty() && parts.back().spilledSize > 0
        && parts.back().spilledAt + parts.back().spilledSize == at) {
        parts.back().spilledSize += size;
        return;
    }
    Part part;
    part.spilledAt = at;
    part.spilledSize = size;
    parts.push_back(std::move(part));
}
