#include "core/absolutename.h"

#include <QStringList>

#include <climits>
#include <unistd.h>

FileName currentFolder()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return {};
    return FileName::fromBytes(buffer);
}

FileName absoluteName(const FileName &path, const FileName &current)
{
    const QString &text = path.path();
    const bool relative = !text.startsWith(u'/');
    QString whole = text;
    if (relative && !current.isEmpty()) {
        const QString &folder = current.path();
        whole = folder.endsWith(u'/') ? QString(folder + text) : QString(folder + u'/' + text);
    }
    // Most names hold nothing to drop: thousands of them may be listed.
    if (!whole.contains(QLatin1String("//")) && !whole.contains(QLatin1String("/./"))
        && !whole.startsWith(QLatin1String("./")) && !whole.endsWith(QLatin1String("/."))
        && whole != QLatin1String("."))
        return FileName::fromPath(whole);
    QStringList kept;
    for (const QString &part : whole.split(u'/', Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            kept.append(part);
    }
    QString result = kept.join(u'/');
    if (whole.startsWith(u'/'))
        result.prepend(u'/');
    // "x/." and "x/" both ask for the folder x.
    const bool folderOnly = text.endsWith(u'/') || text == QLatin1String(".")
            || text.endsWith(QLatin1String("/."));
    if (result.isEmpty())
        result = whole.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral(".");
    else if (folderOnly && !result.endsWith(u'/'))
        result += u'/';
    return FileName::fromPath(result);
}
