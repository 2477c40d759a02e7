#include "conversion/files/unnamedtemporary.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

QByteArray temporaryFolder()
{
    // QDir::tempPath() gives an empty path for a missing TMPDIR, which would put the file in the
    // current folder, or in "/" when the name is joined.
    const QByteArray folder = qgetenv("TMPDIR");
    return folder.isEmpty() ? QByteArrayLiteral("/tmp") : folder;
}

int openUnnamedTemporary()
{
    const QByteArray folder = temporaryFolder();
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    QByteArray name = folder;
    name += "/quillmere-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}
