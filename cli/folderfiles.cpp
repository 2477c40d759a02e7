#include "cli/folderfiles.h"

#include <QDir>
#include <QFileInfo>

QStringList filesInFolder(const QString &folder, const QString &extension)
{
    QStringList nameFilters;
    if (extension != u'*')
        nameFilters << QStringLiteral("*.") + extension;

    QStringList files;
    QStringList level{QFileInfo(folder).absoluteFilePath()};
    while (!level.isEmpty()) {
        QStringList nextLevel;
        for (const QString &path : std::as_const(level)) {
            const QDir dir(path);
            // Name filters in QDir ignore letter case unless asked otherwise, which is what a
            // user typing "xml" for "REPORT.XML" expects.
            for (const QFileInfo &file :
                 dir.entryInfoList(nameFilters, QDir::Files | QDir::Hidden, QDir::Name))
                files << file.absoluteFilePath();
            // Linked folders stay out so that a link back up the tree cannot make the scan endless.
            for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot
                                                                  | QDir::Hidden | QDir::NoSymLinks,
                                                          QDir::Name))
                nextLevel << sub.absoluteFilePath();
        }
        level = std::move(nextLevel);
    }
    return files;
}
