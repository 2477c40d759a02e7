#include "cli/standardoutput.h"

#include "conversion/pendingnames.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

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
            setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
            return written > 0 ? written : -1;
        }
    }
    return written;
}
