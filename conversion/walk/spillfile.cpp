#include "conversion/walk/spillfile.h"

#include "conversion/files/unnamedtemporary.h"
#include "core/failure.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::size_t blockSize = 64 * 1024;

[[noreturn]] void failWith(int error)
{
    throw Failure(QStringLiteral("Cannot hold a long run of blanks in the temporary folder %1: %2")
                          .arg(QDir::tempPath(), QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

SpillFile::~SpillFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint64_t SpillFile::append(const char *data, std::size_t size)
{
    if (m_fd < 0) {
        m_fd = openUnnamedTemporary();
        if (m_fd < 0)
            failWith(errno);
    }
    const std::uint64_t start = m_size;
    while (size > 0) {
        const ssize_t written = ::pwrite(m_fd, data, size, static_cast<off_t>(m_size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            failWith(written == 0 ? EIO : errno);
        data += written;
        size -= static_cast<std::size_t>(written);
        m_size += static_cast<std::uint64_t>(written);
    }
    return start;
}

void SpillFile::clear()
{
    if (m_size > 0 && ::ftruncate(m_fd, 0) != 0)
        failWith(errno);
    m_size = 0;
}

std::string_view SpillFile::read(std::uint64_t offset, std::uint64_t size) const
{
    if (!m_block)
        m_block.reset(new char[blockSize]);
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, blockSize));
    for (;;) {
        const ssize_t got = ::pread(m_fd, m_block.get(), wanted, static_cast<off_t>(offset));
        if (got > 0)
            return {m_block.get(), static_cast<std::size_t>(got)};
        if (got < 0 && errno == EINTR)
            continue;
        failWith(got == 0 ? EIO : errno);
    }
}
