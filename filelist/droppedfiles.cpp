#include "filelist/droppedfiles.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

QStringList droppedLocalPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}
