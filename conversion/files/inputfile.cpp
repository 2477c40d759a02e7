#include "conversion/files/inputfile.h"

#include "core/nativename.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString notRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device, not a regular file");
    return QStringLiteral("not a regular file");
}

} // namespace

InputFile::InputFile(QString path) : m_path(std::move(path)) { }

InputFile::~InputFile()
{
    InputFile::close();
}

bool InputFile::open(InputKinds kinds)
{
    close();
    m_atEnd = false;
    m_head.clear();
    const QByteArray native = encodeNativeName(m_path);
    const bool regularOnly = kinds == InputKinds::RegularFilesOnly;
    if (regularOnly && ::stat(native.constData(), &m_status) == 0 && !S_ISREG(m_status.st_mode)) {
        setErrorString(notRegularReason(m_status.st_mode));
        return false;
    }
    // Without waiting, in case something else took the name since the test; it is refused all
    // the same.
    const int flags
            = regularOnly ? O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY : O_RDONLY | O_CLOEXEC;
    m_fd = ::open(native.constData(), flags);
    if (m_fd < 0 || ::fstat(m_fd, &m_status) != 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    }
    if (S_ISDIR(m_status.st_mode) && !regularOnly) {
        setErrorString(QStringLiteral("file to open is a directory")); // Qt's own words
        close();
        return false;
    }
    if (regularOnly) {
        if (!S_ISREG(m_status.st_mode)) {
            setErrorString(notRegularReason(m_status.st_mode));
            close();
            return false;
        }
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool InputFile::isSequential() const
{
    return !S_ISREG(m_status.st_mode);
}

qint64 InputFile::size() const
{
    return isSequential() ? QIODevice::size() : qint64(m_status.st_size);
}

bool InputFile::atEnd() const
{
    return m_atEnd;
}

void InputFile::close()
{
    if (isOpen())
        QIODevice::close();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

qint64 InputFile::readData(char *data, qint64 maxSize)
{
    if (m_atEnd || maxSize == 0)
        return 0;
    // A regular file is read as large as it was when opened: what is appended meanwhile is left
    // out, and the read that would only confirm its end is spared. Files of size 0 (those the
    // kernel makes up) are read to their end.
    const qint64 openedSize = isSequential() ? 0 : qint64(m_status.st_size);
    if (openedSize > 0) {
        if (pos() >= openedSize) {
            m_atEnd = true;
            return 0;
        }
        maxSize = std::min(maxSize, openedSize - pos());
    }
    if (!isSequential()) {
        // A look at the first bytes (which tell the encoding) reads a whole block, kept for the
        // reads that follow, so that the look costs no system call of its own.
        if (pos() == 0 && m_head.isEmpty() && maxSize < HeadBytes) {
            const qint64 headSize = openedSize > 0 ? std::min(openedSize, HeadBytes) : HeadBytes;
            m_head.resize(headSize);
            const qint64 got = readAt(m_head.data(), headSize, 0);
            m_head.resize(std::max<qint64>(got, 0));
            if (got < 0)
                return -1;
        }
        if (pos() < m_head.size()) {
            const qint64 size = std::min<qint64>(maxSize, m_head.size() - pos());
            std::memcpy(data, m_head.constData() + pos(), std::size_t(size));
            return size;
        }
    }
    const qint64 got = readAt(data, maxSize, pos());
    if (got >= 0)
        m_atEnd = got == 0;
    return got;
}

// A regular file is read at the device's position, so that a peek (which moves the position
// back) reads its bytes again.
qint64 InputFile::readAt(char *data, qint64 maxSize, qint64 position)
{
    for (;;) {
        const ssize_t got = isSequential() ? ::read(m_fd, data, std::size_t(maxSize))
                                           : ::pread(m_fd, data, std::size_t(maxSize), position);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
            return -1;
        }
    }
}

qint64 InputFile::writeData(const char *, qint64)
{
    return -1;
}
