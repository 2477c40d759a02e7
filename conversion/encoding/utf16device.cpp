#include "conversion/encoding/utf16device.h"

#include <algorithm>

namespace {

constexpr qint64 rawReadSize = 64 * 1024;

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

Utf16Device::Utf16Device(QIODevice &source, bool bigEndian)
    : m_source(source), m_bigEndian(bigEndian)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 Utf16Device::readData(char *data, qint64 maxSize)
{
    while (m_handedOut == m_checked.size()) {
        m_checked.clear();
        m_handedOut = 0;
        if (m_finished)
            return 0;
        if (!checkMore() && m_checked.isEmpty())
            return m_finished ? 0 : -1;
    }
    const qint64 size = std::min<qint64>(maxSize, m_checked.size() - m_handedOut);
    std::copy_n(m_checked.constData() + m_handedOut, size, data);
    m_handedOut += size;
    return size;
}

char16_t Utf16Device::unitAt(qsizetype at) const
{
    const auto first = static_cast<unsigned char>(m_unchecked[at]);
    const auto second = static_cast<unsigned char>(m_unchecked[at + 1]);
    return static_cast<char16_t>(m_bigEndian ? first << 8 | second : second << 8 | first);
}

bool Utf16Device::checkMore()
{
    const qsizetype kept = m_unchecked.size();
    m_unchecked.resize(kept + rawReadSize);
    qint64 got = m_source.read(m_unchecked.data() + kept, rawReadSize);
    // A pipe with nothing to read yet is waited for, as the parse does for its own reads.
    while (got == 0 && m_source.isSequential() && !m_source.atEnd()
           && m_source.waitForReadyRead(-1))
        got = m_source.read(m_unchecked.data() + kept, rawReadSize);
    if (got < 0) {
        m_unchecked.resize(kept);
        setErrorString(m_source.errorString());
        return false;
    }
    m_unchecked.resize(kept + got);
    const bool ended = got == 0;
    const qsizetype size = m_unchecked.size();
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
        m_finished = true;
        m_badUnitOffset = m_written + at;
        m_badUnit = m_unchecked.mid(at, 2);
        m_checked = m_unchecked.left(at) + QByteArray("\xFF\xFF", 2);
        m_unchecked.clear();
        m_written += m_checked.size();
        return true;
    }
    // A byte of a unit cut by the document's end goes to the parser, which reports it.
    if (ended) {
        m_finished = true;
        at = size;
    }
    m_checked = m_unchecked.left(at);
    m_unchecked.remove(0, at);
    m_written += m_checked.size();
    return !ended;
}
