#include "filelist/droppedfiles.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>
#include <QUtf8StringView>

namespace {

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
        if (url.isLocalFile() && hasTextForm(url))
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}
