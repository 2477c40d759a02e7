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

namespace {

// The name rides along with the text it shows, under a role of its own.
constexpr int NameRole = Qt::UserRole;

void setName(QTreeWidgetItem &item, const FileName &name)
{
    item.setText(0, name.display());
    item.setData(0, NameRole, QVariant::fromValue(name));
}

} // namespace

void FileListView::appendRow(const FileName &name)
{
    setName(*new QTreeWidgetItem(this), name);
}

FileName FileListView::row(int index) const
{
    const QTreeWidgetItem *item = topLevelItem(index);
    return item ? item->data(0, NameRole).value<FileName>() : FileName();
}

void FileListView::setRow(int index, const FileName &name)
{
    if (QTreeWidgetItem *item = topLevelItem(index))
        setName(*item, name);
}

QString FileListView::rowText(int index) const
{
    const QTreeWidgetItem *item = topLevelItem(index);
    return item ? item->text(0) : QString();
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

QList<FileName> FileListView::rowNames() const
{
    QList<FileName> result;
    for (int i = 0; i < rowCount(); ++i)
        result.append(row(i));
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
    const QList<FileName> paths = droppedLocalPaths(event->mimeData());
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

bool IsInList(const FileListView &list, const FileName &name)
{
    const int count = list.rowCount();
    for (int i = 0; i < count; ++i) {
        if (list.row(i) == name)
            return true;
    }
    return false;
}
