#include "faildevice.h"

FailDevice::FailDevice(qint64 capacity, QObject *parent) : QIODevice(parent), m_capacity(capacity)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 FailDevice::readData(char *, qint64)
{
    return -1;
}

qint64 FailDevice::writeData(const char *data, qint64 size)
{
    const qint64 room = m_capacity - m_accepted.size();
    if (room <= 0) {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
    const qint64 taken = qMin(room, size);
    m_accepted.append(data, taken);
    return taken;
}
