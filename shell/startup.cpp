#include "shell/startup.h"

#include "conversion/pathhelpers.h"
#include "core/failure.h"

#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>

namespace Main {

namespace {
constexpr qsizetype MaximumTitleLength = 40;
}

QString GetDesktopFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty())
        throw Failure(QStringLiteral("The desktop folder is unknown"));
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(pathSeparator()))
        folder += pathSeparator();
    return folder;
}

QString applicationTitleFor(const QString &productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > MaximumTitleLength);
    title.truncate(MaximumTitleLength);
    return title;
}

void SetApplicationTitle()
{
    // "Quillmere" has no blank to cut at, so the title is the whole name. The display name
    // stays unset: Qt would append it to every window title.
    QCoreApplication::setApplicationName(applicationTitleFor(ProductName));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.velmora.Quillmere"));
}

} // namespace Main
