// Paths given on the window's command line, as a file manager's "Open with" passes them.
#include "shell/form1.h"

#include "core/handlerguard.h"
#include "shell/filelistview.h"

#include <QDir>
#include <QFileInfo>

// A file is appended as it is, even when it is gone by now: the run then reports it. A folder
// is scanned as "Add All XML File(s) In Folder" scans it with the extension "xml".
void Form1::openPaths(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (isClosing())
            return;
        guardHandler("openPaths", [&] {
            const QString item = QDir::cleanPath(QDir::current().absoluteFilePath(path));
            if (!QFileInfo(item).isDir()) {
                ListView1->appendRow(item);
                return;
            }
            addFolderTree("openPaths", item, QStringLiteral("*.xml"));
        });
    }
}
