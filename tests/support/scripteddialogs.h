#pragma once

#include "core/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Dialogs for tests: records every call with its texts and returns answers queued in advance.
// A dialog that needs an answer and finds none queued (or one for another kind of dialog)
// fails the test; allAnswersUsed() tells whether the script ran to its end.
class ScriptedDialogs final : public Dialogs {
public:
    enum class Kind {
        Message,
        Question,
        ErrorReport,
        InputBox,
        OpenFiles,
        BrowseForFolder,
        OpenFolder
    };

    struct Call {
        Kind kind;
        QStringList texts; // the text, or prompt, title, preset / title, filter / prompt, start
    };

    void answerQuestion(bool yes);
    void answerInputBox(const QString &text);
    void answerOpenFiles(const QString &result);
    void answerBrowseForFolder(const QString &result);

    const QList<Call> &calls() const { return m_calls; }
    QStringList texts(Kind kind) const; // the first text of every call of that kind
    QStringList messages() const { return texts(Kind::Message); }
    QStringList errorReports() const { return texts(Kind::ErrorReport); }
    bool allAnswersUsed() const { return m_answers.isEmpty(); }
    void clear();

    // Runs inside every call while the "dialog" is open, as a user's actions would.
    std::function<void(const Call &)> whileOpen;

    void message(const QString &text) override;
    bool question(const QString &text) override;
    void errorReport(const QString &text) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &preset) override;
    QString openFiles(const QString &title, const QString &filter) override;
    QString browseForFolder(const QString &prompt, const QString &startFolder) override;
    void openFolder(const QString &path) override;

private:
    struct Answer {
        Kind kind;
        QString text;
    };

    void record(Kind kind, QStringList texts);
    QString take(Kind kind);

    QList<Call> m_calls;
    QList<Answer> m_answers;
};
