#pragma once

#include "core/dialogs.h"

class QWidget;

// The dialogs as the user sees them: Qt message boxes, input box, file and folder dialogs.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget *owner) : m_owner(owner) { }

    void message(const QString &text) override;
    bool question(const QString &text) override;
    void errorReport(const QString &text) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &preset) override;
    // Qt's Open dialog; its result is encoded by openFilesResult() and has no length limit.
    QString openFiles(const QString &title, const QString &filter) override;
    QString browseForFolder(const QString &prompt, const QString &startFolder) override;
    void openFolder(const QString &path) override;

private:
    QWidget *m_owner;
};

// The program's line breaks (CR LF, lone CR) as display line breaks.
QString displayText(const QString &text);
