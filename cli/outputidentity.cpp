#include "cli/outputidentity.h"

#include <QFileInfo>

QString outputIdentity(const QString &outputPath)
{
    const qsizetype slash = outputPath.lastIndexOf(u'/');
    if (slash < 0)
        return outputPath;
    const QString folder = slash == 0 ? QStringLiteral("/") : outputPath.left(slash);
    const QString name = outputPath.mid(slash + 1);
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    const QString base = resolved.isEmpty() ? folder : resolved;
    if (base.endsWith(u'/'))
        return base + name;
    return base + u'/' + name;
}
