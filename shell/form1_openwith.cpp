// Paths given on the window's command line, as a file manager's "Open with" passes them.
#include "shell/form1.h"

#include "core/absolutename.h"
#include "core/handlerguard.h"
#include "shell/filelistview.h"

// A file is appended as it is, even when it is gone by now: the run then reports it. A folder
// is scanned as "Add All XML File(s) In Folder" scans it with the extension "xml".
void Form1::openPaths(const QList<FileName> &paths)
{
    const FileName current = currentFolder();
    for (const FileName &path : paths) {
        if (isClosing())
            return;
        guardHandler("openPaths", [&] {
            const FileName item = absoluteName(path, current);
            if (!isExistingFolder(item)) {
                ListView1->appendRow(item);
                return;
            }
            addFolderTree("openPaths", item, QStringLiteral("*.xml"));
        });
    }
}
