#include "cli/standardstreams.h"

#include "conversion/pendingnames.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

StandardInput::StandardInput()
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 StandardInput::readData(char *data, qint64 maxSize)
{
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

StandardOutput::StandardOutput()
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 StandardOutput::writeData(const char *data, qint64 size)
{
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
