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

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// True when at least one row's text equals the text exactly (letter case counts).
bool IsInList(const FileListView &list, const QString &text);
