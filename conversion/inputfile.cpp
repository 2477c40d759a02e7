#include "conversion/inputfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

InputFile::InputFile(QString path) : m_path(std::move(path)) { }

InputFile::~InputFile()
{
    InputFile::close();
}

bool InputFile::open()
{
    close();
    m_atEnd = false;
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0 || ::fstat(m_fd, &m_status) != 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    }
    if (S_ISDIR(m_status.st_mode)) {
        setErrorString(QStringLiteral("file to open is a directory"));
        close();
        return false;
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
    // A regular file is read as large as it was when opened: the read that would only confirm
    // its end is spared. Files of size 0 (those the kernel makes up) are read to their end.
    if (!isSequential() && m_status.st_size > 0 && pos() >= m_status.st_size) {
        m_atEnd = true;
        return 0;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, data, std::size_t(maxSize));
        if (got >= 0) {
            m_atEnd = got == 0;
            return got;
        }
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
