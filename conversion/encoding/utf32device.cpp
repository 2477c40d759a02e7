#include "conversion/encoding/utf32device.h"

#include <algorithm>

namespace {

constexpr qint64 rawReadSize = 64 * 1024;

} // namespace

Utf32Device::Utf32Device(QIODevice &source, bool bigEndian)
    : m_source(source), m_bigEndian(bigEndian)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 Utf32Device::readData(char *data, qint64 maxSize)
{
    while (m_handedOut == m_converted.size()) {
        m_converted.clear();
        m_handedOut = 0;
        if (m_finished)
            return 0;
        if (!convertMore() && m_converted.isEmpty())
            return m_finished ? 0 : -1;
    }
    const qint64 size = std::min<qint64>(maxSize, m_converted.size() - m_handedOut);
    std::copy_n(m_converted.constData() + m_handedOut, size, data);
    m_handedOut += size;
    return size;
}

bool Utf32Device::convertMore()
{
    const qsizetype kept = m_raw.size();
    m_raw.resize(kept + rawReadSize);
    qint64 got = m_source.read(m_raw.data() + kept, rawReadSize);
    // A pipe with nothing to read yet is waited for, as the parse does for its own reads.
    while (got == 0 && m_source.isSequential() && !m_source.atEnd()
           && m_source.waitForReadyRead(-1))
        got = m_source.read(m_raw.data() + kept, rawReadSize);
    if (got < 0) {
        m_raw.resize(kept);
        setErrorString(m_source.errorString());
        return false;
    }
    m_raw.resize(kept + got);
    const qsizetype whole = m_raw.size() - m_raw.size() % 4;
    m_converted.reserve(whole);
    for (qsizetype at = 0; at < whole && !m_finished; at += 4)
        appendUnit(m_raw.constData() + at);
    if (got == 0 && !m_finished) {
        m_finished = true;
        if (whole < m_raw.size()) {
            m_badUnitOffset = m_written + m_converted.size();
            m_badUnit = m_raw.mid(whole);
            m_converted.append('\xFF');
        }
    }
    m_raw.remove(0, whole);
    m_written += m_converted.size();
    return got > 0;
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
        m_finished = true;
        m_badUnitOffset = m_written + m_converted.size();
        m_badUnit = QByteArray(unit, 4);
        m_converted.append('\xFF');
        return;
    }
    if (c < 0x80) {
        m_converted.append(static_cast<char>(c));
    } else if (c < 0x800) {
        m_converted.append(static_cast<char>(0xC0 | c >> 6));
        m_converted.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        m_converted.append(static_cast<char>(0xE0 | c >> 12));
        m_converted.append(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        m_converted.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        m_converted.append(static_cast<char>(0xF0 | c >> 18));
        m_converted.append(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        m_converted.append(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        m_converted.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}
