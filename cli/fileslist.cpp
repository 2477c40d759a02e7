#include "cli/fileslist.h"

#include <QIODevice>

std::optional<QList<FileName>> readFilesList(QIODevice &list, bool nulSeparated)
{
    const char separator = nulSeparated ? '\0' : '\n';
    const QByteArray text = list.readAll();
    if (!nulSeparated && text.contains('\0'))
        return std::nullopt;
    QList<FileName> paths;
    for (QByteArray entry : text.split(separator)) {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
            paths.append(FileName::fromBytes(entry));
    }
    return paths;
}
