#include "cli/fileslist.h"

#include "core/nativename.h"

#include <QIODevice>

QStringList readFilesList(QIODevice &list, bool nulSeparated)
{
    const char separator = nulSeparated ? '\0' : '\n';
    QStringList paths;
    for (QByteArray entry : list.readAll().split(separator)) {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
            paths.append(decodeNativeName(entry));
    }
    return paths;
}
