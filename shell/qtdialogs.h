#pragma once

#include "core/dialogs.h"

#include <QObject>

class QDialog;
class QMessageBox;
class QWidget;

// The dialogs as the user sees them: Qt message boxes, input box, file and folder dialogs.
// While a message box or the input box is open, the owner window takes no input but its close
// request; once the owner has closed they are no longer shown and answer as if cancelled (No,
// empty text).
class QtDialogs final : public QObject, public Dialogs {
public:
    explicit QtDialogs(QWidget *owner);

    void message(const QString &text) override;
    bool question(const QString &text) override;
    void errorReport(const QString &text) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &preset) override;
    // Qt's Open dialog; its result is encoded by openFilesResult() and has no length limit.
    QString openFiles(const QString &title, const QString &filter) override;
    QString browseForFolder(const QString &prompt, const QString &startFolder) override;
    void openFolder(const QString &path) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows the dialog and waits until it is answered or the program ends.
    void waitForAnswer(QDialog &dialog);
    // The button of the box the user pressed, or none.
    int pressed(QMessageBox &box);

    QWidget *m_owner;
    int m_openDialogs = 0;
    bool m_ownerClosed = false;
};

// The program's line breaks (CR LF, lone CR) as display line breaks.
QString displayText(const QString &text);
