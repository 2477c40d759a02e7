#include "core/filename.h"

#include "core/nativename.h"

#include <QStringList>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileName FileName::fromBytes(QByteArrayView bytes)
{
    return FileName(decodeNativeName(bytes));
}

FileName FileName::fromPath(QString path)
{
    return FileName(std::move(path));
}

QByteArray FileName::bytes() const
{
    return encodeNativeName(m_path);
}

QString FileName::display() const
{
    return readableName(m_path);
}

QList<FileName> fileNamesFromPaths(const QStringList &paths)
{
    QList<FileName> names;
    names.reserve(paths.size());
    for (const QString &path : paths)
        names.append(FileName::fromPath(path));
    return names;
}

bool isExistingFolder(const FileName &name)
{
    struct stat status { };
    return ::stat(name.bytes().constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool folderAcceptsNewFile(const FileName &folder)
{
    const QByteArray path = folder.bytes();
    const int unnamed = ::open(path.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        ::close(unnamed);
        return true;
    }
    // File systems without unnamed files (FAT, many network ones) say so; only they get a
    // named probe, removed at once.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    QByteArray probe = path + (path.endsWith('/') ? "" : "/") + ".quillmere-probe-XXXXXX";
    const int named = ::mkstemp(probe.data());
    if (named < 0)
        return false;
    ::unlink(probe.constData());
    ::close(named);
    return true;
}
