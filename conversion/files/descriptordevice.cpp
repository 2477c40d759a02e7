#include "conversion/files/descriptordevice.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

void DescriptorDevice::open(int fd)
{
    m_fd = fd;
    m_failed = false;
    setErrorString({});
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 DescriptorDevice::writeData(const char *data, qint64 size)
{
    qint64 written = 0;
    while (written < size) {
        const ssize_t got = ::write(m_fd, data + written, static_cast<std::size_t>(size - written));
        if (got > 0) {
            written += got;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        m_failed = true;
        if (got < 0)
            setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        return written > 0 ? written : -1;
    }
    return written;
}
