#include "filelist/droppedfiles.h"

#include <QMimeData>
#include <QUrl>

QList<FileName> droppedLocalPaths(const QMimeData *data)
{
    QList<FileName> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        // The address spells the name's bytes, escaped: decoded as text, a name that is not
        // UTF-8 would name another file.
        if (url.isLocalFile())
            paths.append(FileName::fromBytes(
                    QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    }
    return paths;
}
