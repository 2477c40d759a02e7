#pragma once

#include <QByteArray>
#include <QIODevice>

// A document read from a source device in units of a few bytes and handed out as the subclass
// checks or converts each read. Reading, waiting for a pipe and handing out are done here; a unit
// that cannot be passed on ends the output with a byte the parser refuses where it stands, and
// is kept for the reason.
class UnitsDevice : public QIODevice {
public:
    bool isSequential() const override { return true; }

    // The output offset of the byte that stands for a bad unit, or -1.
    qint64 badUnitOffset() const { return m_badUnitOffset; }
    QByteArray badUnit() const { return m_badUnit; }

protected:
    UnitsDevice(QIODevice &source, bool bigEndian);

    // Moves what may be handed out of m_raw into m_out, checked or converted, and keeps in
    // m_raw what must wait for the next read; `ended` when the source has no more.
    virtual void process(bool ended) = 0;
    // The unit is bad: nothing follows what m_out holds now but the byte that stands for it.
    void markBad(QByteArray unit);

    const bool m_bigEndian;
    bool m_finished = false;
    QByteArray m_raw; // read from the source, not yet processed
    QByteArray m_out; // processed, to be handed out

private:
    qint64 readData(char *data, qint64 maxSize) final;
    qint64 writeData(const char *, qint64) final { return -1; }
    // Reads more of the source and processes it; false at its end or on an error.
    bool readMore();

    QIODevice &m_source;
    qsizetype m_handedOut = 0;
    qint64 m_written = 0;
    qint64 m_badUnitOffset = -1;
    QByteArray m_badUnit;
};
