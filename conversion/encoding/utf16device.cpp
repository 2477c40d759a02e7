#include "conversion/encoding/utf16device.h"

namespace {

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

char16_t Utf16Device::unitAt(qsizetype at) const
{
    const auto first = static_cast<unsigned char>(m_raw[at]);
    const auto second = static_cast<unsigned char>(m_raw[at + 1]);
    return static_cast<char16_t>(m_bigEndian ? first << 8 | second : second << 8 | first);
}

void Utf16Device::process(bool ended)
{
    const qsizetype size = m_raw.size();
    qsizetype at = 0;
    while (at + 1 < size) {
        const char16_t unit = unitAt(at);
        if (isHighSurrogate(unit)) {
            if (at + 3 >= size && !ended)
                break; // its pair may come with the next read
            if (at + 3 < size && isLowSurrogate(unitAt(at + 2))) {
                at += 4;
                continue;
            }
        } else if (!isLowSurrogate(unit)) {
            at += 2;
            continue;
        }
        m_out = m_raw.left(at);
        markBad(m_raw.mid(at, 2));
        m_out.append("\xFF\xFF", 2);
        m_raw.clear();
        return;
    }
    // A byte of a unit cut by the document's end goes to the parser, which reports it.
    if (ended) {
        m_finished = true;
        at = size;
    }
    m_out = m_raw.left(at);
    m_raw.remove(0, at);
}
