#include "filelist/droppedfiles.h"

#include <QDir>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>
#include <QUtf8StringView>

#include <optional>

namespace {

// A file address may name this machine ("file://localhost/home/a.xml"); Qt would turn any host
// into a network share's path ("//localhost/home/a.xml"), which on this system names no file.
// The address of another machine's file names none here.
std::optional<QUrl> onThisMachine(const QUrl &url)
{
    const QString host = url.host();
    if (host.isEmpty())
        return url;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0
        && host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QUrl local = url;
    local.setHost(QString());
    return local;
}

// A name whose bytes are not UTF-8 has no text form: it would come out with a replacement
// character, the name of another file or of none.
bool hasTextForm(const QUrl &url)
{
    const QByteArray bytes
            = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return QUtf8StringView(bytes).isValidUtf8();
}

} // namespace

QStringList droppedLocalPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || !hasTextForm(url))
            continue;
        if (const std::optional<QUrl> local = onThisMachine(url))
            paths.append(QDir::toNativeSeparators(local->toLocalFile()));
    }
    return paths;
}
