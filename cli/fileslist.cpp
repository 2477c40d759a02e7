#include "cli/fileslist.h"

#include <QIODevice>

std::optional<QList<FileName>> readFilesList(QIODevice &list, bool nulSeparated, QString *readError)
{
    const char separator = nulSeparated ? '\0' : '\n';
    // Read to the end by hand: readAll() would take a failed read for the end of the list.
    QByteArray text;
    char block[64 * 1024];
    for (qint64 got; (got = list.read(block, sizeof block)) != 0;) {
        if (got < 0) {
            *readError = list.errorString();
            return std::nullopt;
        }
        text.append(block, got);
    }
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
