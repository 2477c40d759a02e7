#include "shell/filelistview.h"

#include "filelist/droppedfiles.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMouseEvent>

FileListView::FileListView(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(0);
    setHeaderHidden(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The window reorders rows itself; the view's own drag and auto-scroll would interfere.
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAutoScroll(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    header()->setStretchLastSection(false);
}

void FileListView::appendRow(const QString &path)
{
    auto *item = new QTreeWidgetItem(this);
    item->setText(0, path);
}

QString FileListView::rowText(int index) const
{
    const QTreeWidgetItem *item = topLevelItem(index);
    return item ? item->text(0) : QString();
}

void FileListView::setRowText(int index, const QString &text)
{
    if (QTreeWidgetItem *item = topLevelItem(index))
        item->setText(0, text);
}

void FileListView::removeRow(int index)
{
    delete takeTopLevelItem(index);
}

QStringList FileListView::rows() const
{
    QStringList result;
    for (int i = 0; i < rowCount(); ++i)
        result.append(rowText(i));
    return result;
}

namespace {

// The list only reads the dropped paths. A file manager that offers to move its files would
// delete them once a move is accepted, so a drop is taken as a copy whenever the source allows.
void acceptAsCopy(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

} // namespace

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedLocalPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        acceptAsCopy(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedLocalPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        acceptAsCopy(event);
}

void FileListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedLocalPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    acceptAsCopy(event);
    emit filesDropped(paths);
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

bool IsInList(const FileListView &list, const QString &text)
{
    const int count = list.rowCount();
    for (int i = 0; i < count; ++i) {
        if (list.rowText(i) == text)
            return true;
    }
    return false;
}
