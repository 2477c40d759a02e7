#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

void makeTree(const QString &root, const QStringList &paths, const QByteArray &content)
{
    for (const QString &path : paths) {
        const QString full = root + u'/' + path;
        if (path.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(full));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(full).absolutePath()));
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }
}

namespace {

// Sets or clears the immutable flag, which stops every writer, root included.
bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

namespace {

// A folder needs its search bit for its files to be reached at all.
QFile::Permissions searchable(const QString &path)
{
    return QFileInfo(path).isDir() ? QFile::ExeOwner : QFile::Permissions();
}

} // namespace

bool setUnwritable(const QString &path)
{
    if (::geteuid() == 0)
        return setImmutable(path, true);
    return QFile::setPermissions(path, QFile::ReadOwner | searchable(path));
}

void setWritable(const QString &path)
{
    if (::geteuid() == 0)
        setImmutable(path, false);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | searchable(path));
}
