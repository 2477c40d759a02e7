#include "shell/startup.h"

#include "core/failure.h"
#include "core/pathhelpers.h"
#include "core/userdirectories.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

namespace Main {

namespace {
constexpr qsizetype MaximumTitleLength = 40;
}

namespace {

QString withSeparator(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(pathSeparator()) ? native : native + pathSeparator();
}

} // namespace

QString GetDesktopFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Read here rather than through QStandardPaths, whose test mode ignores the setting.
    const QString folder = xdgUserDirectory(QStringLiteral("DESKTOP"),
                                            QDir::homePath() + QLatin1String("/Desktop"));
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
#endif
    if (folder.isEmpty())
        throw Failure(QStringLiteral("The desktop folder is unknown"));
    return withSeparator(folder);
}

QString PresetOutputFolder()
{
    const QString desktop = GetDesktopFolder();
    // Minimal desktops and fresh accounts have no desktop folder; a first run must not fail.
    return QFileInfo(desktop).isDir() ? desktop : withSeparator(QDir::homePath());
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
