#include "conversion/encoding/utf32device.h"

void Utf32Device::process(bool ended)
{
    const qsizetype whole = m_raw.size() - m_raw.size() % 4;
    m_out.reserve(whole);
    for (qsizetype at = 0; at < whole && !m_finished; at += 4)
        appendUnit(m_raw.constData() + at);
    if (ended && !m_finished) {
        m_finished = true;
        if (whole < m_raw.size()) {
            markBad(m_raw.mid(whole));
            m_out.append('\xFF');
        }
    }
    m_raw.remove(0, whole);
}

void Utf32Device::appendUnit(const char *unit)
{
    const auto byte = [&](int i) {
        return static_cast<char32_t>(static_cast<unsigned char>(unit[m_bigEndian ? i : 3 - i]));
    };
    const char32_t c = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    const bool first = !m_started;
    m_started = true;
    if (first && c == 0xFEFF)
        return;
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        markBad(QByteArray(unit, 4));
        m_out.append('\xFF');
        return;
    }
    if (c < 0x80) {
        m_out.append(static_cast<char>(c));
    } else if (c < 0x800) {
        m_out.append(static_cast<char>(0xC0 | c >> 6));
        m_out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        m_out.append(static_cast<char>(0xE0 | c >> 12));
        m_out.append(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        m_out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        m_out.append(static_cast<char>(0xF0 | c >> 18));
        m_out.append(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        m_out.append(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        m_out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}
