#include "conversion/inputfile.h"

#include "core/nativename.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
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

// Takes over the open descriptor; closes it when the file cannot take it.
bool adopt(QFile &file, int descriptor, QString *reason)
{
    if (file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                  QFileDevice::AutoCloseHandle))
        return true;
    *reason = file.errorString();
    ::close(descriptor);
    return false;
}

bool openRegularFile(QFile &file, QString *reason)
{
    const QByteArray native = encodeNativeName(file.fileName());
    struct stat status { };
    if (::stat(native.constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        *reason = notRegularReason(status.st_mode);
        return false;
    }
    // Without waiting, in case something else took the name since the test; it is refused
    // all the same.
    const int descriptor = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        *reason = notRegularReason(status.st_mode);
        ::close(descriptor);
        return false;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return adopt(file, descriptor, reason);
}

} // namespace

bool openInputFile(QFile &file, InputKinds kinds, QString *reason)
{
    if (kinds == InputKinds::RegularFilesOnly)
        return openRegularFile(file, reason);
    const int descriptor
            = ::open(encodeNativeName(file.fileName()).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status { };
    if (::fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        *reason = QStringLiteral("file to open is a directory"); // Qt's own words
        ::close(descriptor);
        return false;
    }
    return adopt(file, descriptor, reason);
}
