#pragma once

#include "core/filename.h"

#include <QStringList>
#include <QTreeWidget>

// The file list: one column of full paths in report view. Each row holds a file's name with its
// own bytes and shows the name's display form. It accepts drags that carry local
// files and hands the dropped paths on through filesDropped(); every other drag is refused.
class FileListView final : public QTreeWidget {
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

    // Appends a row holding the name; the only way rows come into being.
    void appendRow(const FileName &name);
    void appendRow(const QString &path) { appendRow(FileName::fromPath(path)); }
    int rowCount() const { return topLevelItemCount(); }
    // The name a row holds; index from 0. An empty name for a row that does not exist.
    FileName row(int index) const;
    void setRow(int index, const FileName &name);
    // What the row shows: the display form of its name.
    QString rowText(int index) const;
    void setRowText(int index, const QString &text) { setRow(index, FileName::fromPath(text)); }
    void removeRow(int index);
    QStringList rows() const; // the rows' texts
    QList<FileName> rowNames() const;
    // The model index of the row's text, for references that must survive removals.
    QModelIndex indexOfRow(int index) const { return model()->index(index, 0); }

signals:
    void filesDropped(const QList<FileName> &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The window reorders rows itself while a button is held; the view's own drag selection
    // would move the selection away from the dragged row.
    void mouseMoveEvent(QMouseEvent *event) override;
};

// True when at least one row holds exactly the name (letter case counts).
bool IsInList(const FileListView &list, const FileName &name);
inline bool IsInList(const FileListView &list, const QString &text)
{
    return IsInList(list, FileName::fromPath(text));
}
