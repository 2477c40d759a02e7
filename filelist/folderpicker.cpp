#include "filelist/folderpicker.h"

#include "core/dialogs.h"

namespace AddFolder {

QString BrowseForFolder(Dialogs &dialogs, const QString &prompt, const QString &startFolder)
{
    return normalizePickedFolder(dialogs.browseForFolder(prompt, startFolder));
}

QString normalizePickedFolder(const QString &folder, Main::PathStyle style)
{
    if (folder.isEmpty())
        return {};
    const QChar separator = Main::pathSeparator(style);
    // Dialogs hand back forward slashes on every platform; Windows paths use backslashes.
    QString result = folder;
    if (style == Main::PathStyle::Windows)
        result.replace(QLatin1Char('/'), separator);
    qsizetype end = result.size();
    while (end > 0 && result.at(end - 1) == separator)
        --end;
    result.truncate(end);
    if (result.isEmpty())
        return QString(separator);
    // A drive root keeps its separator: "C:" alone names the drive's current folder.
    if (style == Main::PathStyle::Windows && result.size() == 2 && result.at(1) == QLatin1Char(':'))
        return result + separator;
    return result;
}

} // namespace AddFolder
