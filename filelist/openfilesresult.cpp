#include "filelist/openfilesresult.h"

#include <QDir>
#include <QFileInfo>

QString openFilesResult(const QStringList &files)
{
    if (files.isEmpty())
        return {};
    if (files.size() == 1)
        return QDir::toNativeSeparators(files.front());

    const QString folder = QFileInfo(files.front()).path();
    QStringList names;
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.path() != folder) {
            QStringList paths;
            for (const QString &path : files)
                paths.append(QDir::toNativeSeparators(path));
            return QChar::Null + paths.join(QChar::Null);
        }
        names.append(info.fileName());
    }
    return QDir::toNativeSeparators(folder) + QChar::Null + names.join(QChar::Null);
}
