// Files and folders dropped on the list (ListView1).
#include "shell/form1.h"

#include "core/handlerguard.h"
#include "filelist/addfolder.h"
#include "shell/filelistview.h"

namespace {

// A dropped item is a folder when it exists and carries the directory attribute; anything
// else, a vanished path included, is taken as a file.
bool isDroppedFolder(const FileName &item)
{
    try {
        return (AddFolder::attributesOf(item.path()) & AddFolder::Attribute::Directory) != 0;
    } catch (const Failure &) {
        return false;
    }
}

} // namespace

// Runs from a queued call after the drop was accepted, so a long scan does not hold the drag
// source. Each item is handled on its own: a failing item is logged and the next one follows.
void Form1::ListView1_OLEDragDrop(const QList<FileName> &paths)
{
    for (const FileName &item : paths) {
        if (isClosing())
            return;
        guardHandler("ListView1_OLEDragDrop", [&] {
            if (!isDroppedFolder(item)) {
                ListView1->appendRow(item);
                return;
            }
            addFolderTree("ListView1_OLEDragDrop", item, QStringLiteral("*.*"));
        });
    }
}
