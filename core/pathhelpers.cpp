#include "core/pathhelpers.h"

#include <QFileInfo>

namespace Main {

namespace {

// One left-to-right pass that turns every non-overlapping pair of separators into one.
QString halvePairs(QStringView text, QChar separator)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}

} // namespace

QChar pathSeparator(PathStyle style)
{
    return style == PathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

QString GetFileNameFromPath(const QString &path, PathStyle style)
{
    return path.mid(path.lastIndexOf(pathSeparator(style)) + 1);
}

QString GetFolderFromPath(const QString &path, PathStyle style)
{
    return path.left(path.lastIndexOf(pathSeparator(style)) + 1);
}

QString RemoveExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? name.left(dot) : name;
}

bool FolderExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString CleanDoubleBackslashes(const QString &path, PathStyle style)
{
    const QChar separator = pathSeparator(style);
    if (path.isEmpty() || path.front() != separator)
        return halvePairs(path, separator);

    qsizetype rest = 1;
    while (rest < path.size() && path[rest] == separator)
        ++rest;
    const QString prefix
            = style == PathStyle::Windows ? QStringLiteral("\\\\") : QStringLiteral("/");
    return prefix + halvePairs(QStringView(path).mid(rest), separator);
}

} // namespace Main
