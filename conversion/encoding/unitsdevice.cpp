#include "conversion/encoding/unitsdevice.h"

#include <algorithm>

namespace {

constexpr qint64 rawReadSize = 64 * 1024;

} // namespace

UnitsDevice::UnitsDevice(QIODevice &source, bool bigEndian)
    : m_bigEndian(bigEndian), m_source(source)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void UnitsDevice::markBad(QByteArray unit)
{
    m_finished = true;
    m_badUnitOffset = m_written + m_out.size();
    m_badUnit = std::move(unit);
}

qint64 UnitsDevice::readData(char *data, qint64 maxSize)
{
    while (m_handedOut == m_out.size()) {
        m_out.clear();
        m_handedOut = 0;
        if (m_finished)
            return 0;
        if (!readMore() && m_out.isEmpty())
            return m_finished ? 0 : -1;
    }
    const qint64 size = std::min<qint64>(maxSize, m_out.size() - m_handedOut);
    std::copy_n(m_out.constData() + m_handedOut, size, data);
    m_handedOut += size;
    return size;
}

bool UnitsDevice::readMore()
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
    process(got == 0);
    m_written += m_out.size();
    return got > 0;
}
