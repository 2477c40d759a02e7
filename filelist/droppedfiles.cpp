#include "filelist/droppedfiles.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace {

// A file address may name this machine as its host ("file://localhost/home/a.xml"). The
// address of another machine's file names no file here, whatever its path.
bool namesThisMachine(const QUrl &url)
{
    const QString host = url.host();
    return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
            || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

} // namespace

QList<FileName> droppedLocalPaths(const QMimeData *data)
{
    QList<FileName> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        // The address spells the name's bytes, escaped: decoded as text, a name that is not
        // UTF-8 would name another file.
        if (url.isLocalFile() && namesThisMachine(url))
            paths.append(FileName::fromBytes(
                    QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    }
    return paths;
}
