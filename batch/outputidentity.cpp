#include "batch/outputidentity.h"

#include "core/nativename.h"

#include <climits>
#include <cstdlib>

QString outputIdentity(const QString &outputPath)
{
    const qsizetype slash = outputPath.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : outputPath.left(slash);
    const QString name = outputPath.mid(slash + 1);
    char resolved[PATH_MAX];
    const QByteArray encoded = encodeNativeName(folder.isEmpty() ? QStringLiteral("/") : folder);
    if (!::realpath(encoded.constData(), resolved))
        return folder + u'/' + name;
    QString identity = decodeNativeName(resolved);
    if (!identity.endsWith(u'/'))
        identity += u'/';
    return identity + name;
}
