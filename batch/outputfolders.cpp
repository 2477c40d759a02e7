#include "batch/outputfolders.h"

#include "core/pathhelpers.h"

#include <QStringList>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString makeOutputFolders(const FileName &root, const FileName &output)
{
    const QString below = Main::GetFolderFromPath(output.path().mid(root.path().size()));
    // The root itself was named by the user, and may be a link.
    int folder = ::open(root.bytes().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return QStringLiteral("Cannot open %1: %2").arg(root.display(), systemReason());
    QString reached = root.path();
    QString reason;
    for (const QString &part : below.split(u'/', Qt::SkipEmptyParts)) {
        reached += part;
        const QString shown = FileName::fromPath(reached).display();
        reached += u'/';
        const QByteArray name = FileName::fromPath(part).bytes();
        // Made at once where missing; another job may make it at the same moment.
        if (::mkdirat(folder, name.constData(), 0777) != 0 && errno != EEXIST) {
            reason = QStringLiteral("Cannot make the folder %1: %2").arg(shown, systemReason());
            break;
        }
        const int next = ::openat(folder, name.constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const QString system = systemReason();
            struct stat status { };
            const bool link = ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
                    && S_ISLNK(status.st_mode);
            reason = link
                    ? QStringLiteral("%1 is a symbolic link, which is never followed").arg(shown)
                    : QStringLiteral("Cannot open the folder %1: %2").arg(shown, system);
            break;
        }
        ::close(folder);
        folder = next;
    }
    ::close(folder);
    return reason;
}
