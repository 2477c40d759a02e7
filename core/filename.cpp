#include "core/filename.h"

#include "core/nativename.h"

#include <QStringList>

#include <sys/stat.h>

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
