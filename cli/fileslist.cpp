#include "cli/fileslist.h"

#include <QIODevice>

QList<FileName> readFilesList(QIODevice &list, bool nulSeparated)
{
    const char separator = nulSeparated ? '\0' : '\n';
    QList<FileName> paths;
    for (QByteArray entry : list.readAll().split(separator)) {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
            paths.append(FileName::fromBytes(entry));
    }
    return paths;
}
