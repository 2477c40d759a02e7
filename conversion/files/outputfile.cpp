#include "conversion/files/outputfile.h"

#include "core/nativename.h"

#include "conversion/files/extendedattributes.h"
#include "conversion/files/unnamedtemporary.h"
#include "conversion/pendingnames.h"

#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr std::size_t copyBlockSize = 1 << 20;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString linkRefusal()
{
    return QStringLiteral("a symbolic link has this name; it is never followed");
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The target's name in a temporary file's name tells a user what a leftover was meant to
// become; it is cut short so that the whole name stays within the file system's limit.
QByteArray temporaryName(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray base = target.mid(slash + 1).left(200);
    while (!base.isEmpty() && (static_cast<uchar>(base.back()) & 0xC0) == 0x80)
        base.chop(1); // no cut inside a character
    if (!base.isEmpty() && static_cast<uchar>(base.back()) >= 0xC0)
        base.chop(1);
    return target.left(slash + 1) + '.' + base + '.'
            + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".part";
}

// An unnamed file is linked in through its entry under /proc, which needs no privilege.
QByteArray procPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

bool unnamedFilesUsable()
{
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

bool writeAll(int fd, const char *data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

} // namespace

OutputFile::OutputFile(QString targetPath) : m_targetPath(std::move(targetPath)) { }

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open(const struct stat *source)
{
    discard();
    m_errorString.clear();
    m_target = encodeNativeName(m_targetPath);
    m_hasSource = source != nullptr;
    if (source)
        m_source = *source;
    // What stands at the target's name is looked at only when it matters: without unnamed
    // files, when the folder refuses a new file, and when the content is put in place. A free
    // name costs nothing.
    m_targetExists = false;
    int error = 0;
    bool opened = openUnnamed(folderOf(m_target), &error);
    if (!opened && error == 0) {
        // The content gets a name at once: a target that would be refused is refused now, and
        // the earlier file's mode and owner are the new file's before it holds a byte.
        if (!lookAtTarget() || !checkTarget())
            return false;
        opened = openNamed(&error);
        if (opened && m_targetExists)
            keepOwnership();
    }
    if (!opened) {
        if (!lookAtTarget() || !checkTarget())
            return false;
        if (!m_targetExists)
            return failWithErrno(error);
        if (!openSpool())
            return fail(
                    QStringLiteral("the folder allows no new file, and the temporary folder %1, "
                                   "where the file is made before it is copied over the "
                                   "earlier one, cannot be used (%2)")
                            .arg(QFile::decodeName(temporaryFolder()), systemReason(errno)));
    }
    m_device.open(m_fd);
    return true;
}

bool OutputFile::lookAtTarget()
{
    m_targetExists = ::lstat(m_target.constData(), &m_targetStatus) == 0;
    return m_targetExists || errno == ENOENT || failWithErrno(errno);
}

bool OutputFile::checkTarget()
{
    if (!m_targetExists)
        return true;
    if (S_ISLNK(m_targetStatus.st_mode))
        return fail(linkRefusal());
    if (S_ISDIR(m_targetStatus.st_mode))
        return fail(QStringLiteral("a folder has this name"));
    if (!S_ISREG(m_targetStatus.st_mode))
        return fail(QStringLiteral(
                "it is not a regular file (a pipe, socket or device is never opened)"));
    if (m_hasSource && m_source.st_dev == m_targetStatus.st_dev
        && m_source.st_ino == m_targetStatus.st_ino)
        return fail(QStringLiteral("it is the input file itself"));
    // A file the user may not write stays as it is, although its folder would allow
    // replacing it.
    if (::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0)
        return failWithErrno(errno);
    return true;
}

// Sets *error and returns false when the folder refuses the file; leaves it 0 when the file
// system has no unnamed files.
bool OutputFile::openUnnamed(const QByteArray &folder, int *error)
{
    if (!unnamedFilesUsable())
        return false;
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        m_mode = Mode::Unnamed;
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        *error = errno;
    return false;
}

bool OutputFile::openNamed(int *error)
{
    // Never more open than the mode the file ends with, whether or not its owner is kept.
    const mode_t mode = m_targetExists ? replacementMode(true) & replacementMode(false) : 0666;
    const auto lock = PendingNames::lock();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = temporaryName(m_target);
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            m_mode = Mode::Named;
            m_temporaryName = name;
            PendingNames::add(name);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    *error = errno;
    return false;
}

bool OutputFile::openSpool()
{
    m_fd = openUnnamedTemporary();
    if (m_fd < 0)
        return false;
    m_mode = Mode::InPlace;
    return true;
}

// The earlier file's mode. When its owner and group cannot be kept, the replacement is the
// writer's, as a new file would be, and its group gets no more than everyone else.
mode_t OutputFile::replacementMode(bool ownershipKept) const
{
    const mode_t mode = m_targetStatus.st_mode & 0777;
    return ownershipKept ? mode : (mode & 0707) | ((mode & 07) << 3);
}

void OutputFile::keepOwnership()
{
    const bool kept = (m_targetStatus.st_uid == ::geteuid() && m_targetStatus.st_gid == ::getegid())
            || ::fchown(m_fd, m_targetStatus.st_uid, m_targetStatus.st_gid) == 0;
    ::fchmod(m_fd, replacementMode(kept));
    // The ACL names the earlier group's rights, which the writer's group must not inherit.
    copyExtendedAttributes(m_target, m_fd, kept ? AccessAcl::Included : AccessAcl::Left);
}

QIODevice *OutputFile::device()
{
    return &m_device;
}

bool OutputFile::commit()
{
    if (m_mode == Mode::Closed) {
        if (m_errorString.isEmpty())
            fail(QStringLiteral("the file was not opened"));
        return false;
    }
    if (m_device.failed()) {
        const QString reason = m_device.errorString();
        discard();
        return fail(reason);
    }
    m_device.close();
    bool committed = false;
    switch (m_mode) {
    case Mode::Unnamed:
        committed = linkUnnamed();
        break;
    case Mode::Named:
        committed = replaceWithNamed();
        break;
    case Mode::InPlace:
        committed = rewriteInPlace();
        break;
    case Mode::Closed:
        break;
    }
    discard();
    return committed;
}

bool OutputFile::linkUnnamed()
{
    const QByteArray unnamed = procPath(m_fd);
    if (::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, m_target.constData(), AT_SYMLINK_FOLLOW)
        == 0)
        return true;
    if (errno != EEXIST)
        return failWithErrno(errno);
    if (!lookAtTarget() || !checkTarget())
        return false;
    keepOwnership();
    // A name cannot be linked over: the file gets a temporary name that is renamed at once.
    const auto lock = PendingNames::lock();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = temporaryName(m_target);
        if (::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW)
            != 0) {
            if (errno == EEXIST)
                continue;
            return failWithErrno(errno);
        }
        if (::rename(name.constData(), m_target.constData()) == 0)
            return true;
        const int error = errno;
        ::unlink(name.constData());
        return failWithErrno(error);
    }
    return failWithErrno(EEXIST);
}

bool OutputFile::replaceWithNamed()
{
    const bool allowed = lookAtTarget() && checkTarget();
    if (allowed && m_targetExists)
        keepOwnership();
    const auto lock = PendingNames::lock();
    const bool renamed
            = allowed && ::rename(m_temporaryName.constData(), m_target.constData()) == 0;
    const int error = errno;
    if (!renamed)
        ::unlink(m_temporaryName.constData());
    PendingNames::remove(m_temporaryName);
    m_temporaryName.clear();
    if (renamed)
        return true;
    // A refused target has its reason already.
    return allowed && failWithErrno(error);
}

bool OutputFile::rewriteInPlace()
{
    struct stat spool = {};
    if (::fstat(m_fd, &spool) != 0)
        return failWithErrno(errno);
    const off_t size = spool.st_size;
    rlimit limit = {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && static_cast<rlim_t>(size) > limit.rlim_cur)
        return failWithErrno(EFBIG);

    const auto lock = PendingNames::lock(); // a signal must not end the rewrite halfway
    const int target = ::open(m_target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (target < 0)
        return errno == ELOOP ? fail(linkRefusal()) : failWithErrno(errno);
    const auto closeTarget = qScopeGuard([target] { ::close(target); });
    struct stat status = {};
    if (::fstat(target, &status) != 0)
        return failWithErrno(errno);
    if (!S_ISREG(status.st_mode))
        return fail(QStringLiteral(
                "it is not a regular file (a pipe, socket or device is never opened)"));
    // Until the room is reserved nothing is changed; without a reservation nothing is.
    if (size > 0 && ::fallocate(target, FALLOC_FL_KEEP_SIZE, 0, size) != 0)
        return fail(QStringLiteral("no room for the new content, the earlier file is kept (%1)")
                            .arg(systemReason(errno)));

    std::unique_ptr<char[]> block(new char[copyBlockSize]);
    for (off_t offset = 0; offset < size;) {
        const ssize_t got = ::pread(m_fd, block.get(), copyBlockSize, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !writeAll(target, block.get(), static_cast<std::size_t>(got), offset)) {
            const int error = got == 0 ? EIO : errno;
            return fail(QStringLiteral("%1; the file is now incomplete").arg(systemReason(error)));
        }
        offset += got;
    }
    if (::ftruncate(target, size) != 0)
        return fail(QStringLiteral("%1; the file is now incomplete").arg(systemReason(errno)));
    return true;
}

void OutputFile::discard()
{
    m_device.close();
    if (m_mode == Mode::Named) {
        const auto lock = PendingNames::lock();
        ::unlink(m_temporaryName.constData());
        PendingNames::remove(m_temporaryName);
        m_temporaryName.clear();
    }
    closeFile();
}

void OutputFile::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_mode = Mode::Closed;
}

bool OutputFile::fail(const QString &reason)
{
    m_errorString = QStringLiteral("Cannot write \"%1\": %2").arg(m_targetPath, reason);
    return false;
}

bool OutputFile::failWithErrno(int error)
{
    return fail(systemReason(error));
}
