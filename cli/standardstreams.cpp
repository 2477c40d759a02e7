#include "cli/standardstreams.h"

#include "conversion/pendingnames.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

StandardInput::StandardInput(bool closed) : m_closed(closed)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 StandardInput::readData(char *data, qint64 maxSize)
{
    if (m_closed) {
        setErrorString(QStringLiteral("the program was started with standard input closed"));
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, data, static_cast<std::size_t>(maxSize));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            setErrorString(systemReason(errno));
            return -1;
        }
    }
}

StandardOutput::StandardOutput(bool closed) : m_closed(closed)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardOutput::writeData(const char *data, qint64 size)
{
    if (m_closed) {
        setErrorString(QStringLiteral("the program was started with standard output closed"));
        return -1;
    }
    qint64 written = 0;
    while (written < size) {
        const ssize_t got
                = ::write(STDOUT_FILENO, data + written, static_cast<std::size_t>(size - written));
        if (got >= 0) {
            written += got;
        } else if (errno == EPIPE) {
            PendingNames::removeAllAndExit(128 + SIGPIPE);
        } else if (errno != EINTR) {
            setErrorString(systemReason(errno));
            return written > 0 ? written : -1;
        }
    }
    return written;
}

bool holdClosedStandardStream(int descriptor)
{
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
        return false;
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != descriptor) {
        ::dup2(null, descriptor);
        ::close(null);
    }
    return true;
}
