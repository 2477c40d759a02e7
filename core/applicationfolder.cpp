#include "core/applicationfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &overriddenFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString applicationFolder()
{
    if (!overriddenFolder().isEmpty())
        return overriddenFolder();
    // The folder where the program file really is, also when it was started through a link.
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QString folder = QDir::toNativeSeparators(QFileInfo(program).absolutePath());
    if (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

void setApplicationFolderForTesting(const QString &folder)
{
    overriddenFolder() = folder;
}
