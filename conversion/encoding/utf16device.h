#pragma once

#include <QByteArray>
#include <QIODevice>

// Reads a UTF-16 document from a source device and hands it out unchanged, for a parser that
// takes a high surrogate and whatever unit follows as one character. An unpaired surrogate
// ends the output with the unit U+FFFF, which the parser refuses where it stands; the unit is
// kept for the reason.
class Utf16Device final : public QIODevice {
public:
    Utf16Device(QIODevice &source, bool bigEndian);

    bool isSequential() const override { return true; }

    // The output offset of the U+FFFF that stands for an unpaired surrogate, or -1.
    qint64 badUnitOffset() const { return m_badUnitOffset; }
    QByteArray badUnit() const { return m_badUnit; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Reads more of the source and checks it up to a unit that may pair with one still to
    // come; false at its end or on an error.
    bool checkMore();
    char16_t unitAt(qsizetype at) const;

    QIODevice &m_source;
    bool m_bigEndian;
    bool m_finished = false;
    QByteArray m_unchecked; // a high surrogate, or a byte of a unit, cut by the end of a read
    QByteArray m_checked;
    qsizetype m_handedOut = 0;
    qint64 m_written = 0;
    qint64 m_badUnitOffset = -1;
    QByteArray m_badUnit;
};
