#pragma once

#include <QByteArray>
#include <QIODevice>

// A write-only device that accepts a given number of bytes and then fails every write, as a
// full disk would. What it accepted can be read back with accepted().
class FailDevice final : public QIODevice {
public:
    explicit FailDevice(qint64 capacity, QObject *parent = nullptr);

    const QByteArray &accepted() const { return m_accepted; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    qint64 m_capacity;
    QByteArray m_accepted;
};
