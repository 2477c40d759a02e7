// The list (ListView1): reordering by dragging, removing rows, and "Clear List" (PushButton6).
#include "shell/form1.h"

#include "core/applicationfolder.h"
#include "core/handlerguard.h"
#include "core/reportingprocedure.h"
#include "shell/filelistview.h"

#include <QPixmap>
#include <QScrollBar>

namespace {

// The pointer shown while a row is dragged: the picture in "drag.ico" beside the program, or
// the platform's own drag pointer when the file is missing or unreadable.
QCursor dragPointer()
{
    const QPixmap picture(applicationFolder() + QStringLiteral("/drag.ico"));
    if (picture.isNull())
        return QCursor(Qt::DragMoveCursor);
    return QCursor(picture);
}

} // namespace

void Form1::ListView1_ItemClick(QTreeWidgetItem *)
{
    guardHandler("ListView1_ItemClick", [this] {
        ListView1->setCursor(dragPointer());
        ListView1->setDragEnabled(false);
        const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
        m_draggedRow = selected.isEmpty()
                ? QPersistentModelIndex()
                : QPersistentModelIndex(
                        ListView1->indexOfRow(ListView1->indexOfTopLevelItem(selected.front())));
    });
}

// Only the item click of this same press names the row to drag; a press outside the rows
// drags nothing, rather than the row dragged last.
void Form1::ListView1_MouseDown()
{
    m_armed = true;
    m_draggedRow = QPersistentModelIndex();
}

void Form1::ListView1_MouseMove(const QPoint &position)
{
    guardHandler("ListView1_MouseMove", [this, position] {
        if (!isBusy())
            setPointer(PointerKind::Default);
        // The run converts the rows by their place in the list, so they stay put until it ends.
        if (!m_armed || m_runInProgress)
            return;

        // Rows are tracked by persistent index, so a dragged row removed since its click
        // simply counts as none.
        QTreeWidgetItem *underPointer = ListView1->itemAt(position);
        if (!underPointer || !m_draggedRow.isValid())
            return;
        const int dragged = m_draggedRow.row();
        const int row = ListView1->indexOfTopLevelItem(underPointer);
        if (dragged >= ListView1->rowCount() || ListView1->row(dragged) == ListView1->row(row))
            return;

        const FileName kept = ListView1->row(dragged);
        ListView1->setRow(dragged, ListView1->row(row));
        ListView1->setRow(row, kept);
        ListView1->setCurrentItem(underPointer);
        m_draggedRow = QPersistentModelIndex(ListView1->indexOfRow(row));

        // One row on when the pointer is in the band of the first or last visible row,
        // wherever the window stands on the screen.
        const int band = ListView1->visualItemRect(underPointer).height();
        if (position.y() < band && row >= 1)
            ListView1->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (position.y() >= ListView1->viewport()->height() - band
                 && row + 1 < ListView1->rowCount())
            ListView1->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    });
}

void Form1::ListView1_MouseUp()
{
    m_armed = false;
    // Unset rather than set to the arrow, so that the list shows the window's hourglass too.
    ListView1->unsetCursor();
}

void Form1::ListView1_DblClick()
{
    guardHandler("ListView1_DblClick", [this] { removeSelectedRow(); });
}

void Form1::ListView1_KeyDown(int key)
{
    guardHandler("ListView1_KeyDown", [this, key] {
        if (key != Qt::Key_Delete)
            return;
        // Tabbed into, the list frames its current row without selecting it; that framed row is
        // the one the keyboard is on.
        if (ListView1->selectedItems().isEmpty() && ListView1->currentItem())
            ListView1->currentItem()->setSelected(true);
        removeSelectedRow();
    });
}

void Form1::removeSelectedRow()
{
    if (listChangesRefused() || ListView1->rowCount() == 0)
        return;
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return;
    ListView1->removeRow(ListView1->indexOfTopLevelItem(selected.front()));
}

void Form1::PushButton6_Click()
{
    ReportingProcedure procedure(dialogs(), ProcedureTag::PushButton6Click);
    procedure.run(100, [this] {
        if (!listChangesRefused())
            ListView1->clear();
    });
}
