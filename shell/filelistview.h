#pragma once

#include <QStringList>
#include <QTreeWidget>

// The file list: one column of full paths in report view. It accepts drags that carry local
// files and hands the dropped paths on through filesDropped(); every other drag is refused.
class FileListView final : public QTreeWidget {
    Q_OBJECT

public:
    explicit FileListView(QWidget *parent = nullptr);

    // Appends a row holding the path; the only way rows come into being.
    void appendRow(const QString &path);
    int rowCount() const { return topLevelItemCount(); }
    QString rowText(int index) const; // index from 0
    void setRowText(int index, const QString &text);
    void removeRow(int index);
    QStringList rows() const;
    // The model index of the row's text, for references that must survive removals.
    QModelIndex indexOfRow(int index) const { return model()->index(index, 0); }

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The window reorders rows itself while a button is held; the view's own drag selection
    // would move the selection away from the dragged row.
    void mouseMoveEvent(QMouseEvent *event) override;
};

// True when at least one row's text equals the text exactly (letter case counts).
bool IsInList(const FileListView &list, const QString &text);
