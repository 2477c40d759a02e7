#pragma once

#include <QByteArray>
#include <QIODevice>

// Reads a UTF-32 document from a source device and hands it out as UTF-8, for a parser that
// knows no UTF-32. A byte-order mark at the start is dropped. A unit that is no character (above
// U+10FFFF, a surrogate, or cut short by the end) ends the output with the byte 0xFF, which the
// parser refuses where it stands; the unit is kept for the reason.
class Utf32Device final : public QIODevice {
public:
    Utf32Device(QIODevice &source, bool bigEndian);

    bool isSequential() const override { return true; }

    // The output offset of the 0xFF that stands for a unit that is no character, or -1.
    qint64 badUnitOffset() const { return m_badUnitOffset; }
    QByteArray badUnit() const { return m_badUnit; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Reads more of the source and converts its whole units; false at its end or on an error.
    bool convertMore();
    void appendUnit(const char *unit);

    QIODevice &m_source;
    bool m_bigEndian;
    bool m_started = false;
    bool m_finished = false;
    QByteArray m_raw; // bytes of a unit cut by the end of a read
    QByteArray m_converted;
    qsizetype m_handedOut = 0;
    qint64 m_written = 0;
    qint64 m_badUnitOffset = -1;
    QByteArray m_badUnit;
};
