#include "conversion/walk/blankrun.h"

#include <cstring>

void BlankRun::clearLong()
{
    m_segments.clear();
    m_period.clear();
    m_repeats = 0;
    m_matched = 0;
    m_nextCheck = checkedSize;
}

void BlankRun::appendLong(const char *data, std::size_t size)
{
    while (size > 0) {
        if (m_period.empty()) {
            m_raw.append(data, size);
            if (m_raw.size() > m_nextCheck)
                findPeriod();
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
        if (size > 2 * period)
            m_segments.push_back({std::string(raw, size - 2 * period), 1});
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
void BlankRun::endPeriod()
{
    m_segments.push_back({std::move(m_period), m_repeats});
    m_period.clear();
    m_repeats = 0;
    m_raw.clear();
    m_raw.append(m_segments.back().bytes.data(), m_matched);
    m_matched = 0;
    m_nextCheck = checkedSize;
}
