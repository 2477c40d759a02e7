#include "support/scripteddialogs.h"

#include <QTest>

void ScriptedDialogs::answerQuestion(bool yes)
{
    m_answers.append({Kind::Question, yes ? QStringLiteral("Yes") : QStringLiteral("No")});
}

void ScriptedDialogs::answerInputBox(const QString &text)
{
    m_answers.append({Kind::InputBox, text});
}

void ScriptedDialogs::answerOpenFiles(const QString &result)
{
    m_answers.append({Kind::OpenFiles, result});
}

void ScriptedDialogs::answerBrowseForFolder(const QString &result)
{
    m_answers.append({Kind::BrowseForFolder, result});
}

QStringList ScriptedDialogs::texts(Kind kind) const
{
    QStringList result;
    for (const Call &call : m_calls) {
        if (call.kind == kind)
            result.append(call.texts.value(0));
    }
    return result;
}

void ScriptedDialogs::clear()
{
    m_calls.clear();
    m_answers.clear();
}

void ScriptedDialogs::record(Kind kind, QStringList texts)
{
    m_calls.append({kind, std::move(texts)});
    if (whileOpen)
        whileOpen(m_calls.last());
}

QString ScriptedDialogs::take(Kind kind)
{
    if (m_answers.isEmpty() || m_answers.front().kind != kind) {
        QTest::qFail("A dialog was shown that the test did not script", __FILE__, __LINE__);
        return {};
    }
    return m_answers.takeFirst().text;
}

void ScriptedDialogs::message(const QString &text)
{
    record(Kind::Message, {text});
}

bool ScriptedDialogs::question(const QString &text)
{
    record(Kind::Question, {text});
    return take(Kind::Question) == QLatin1String("Yes");
}

void ScriptedDialogs::errorReport(const QString &text)
{
    record(Kind::ErrorReport, {text});
}

QString ScriptedDialogs::inputBox(const QString &prompt, const QString &title,
                                  const QString &preset)
{
    record(Kind::InputBox, {prompt, title, preset});
    return take(Kind::InputBox);
}

QString ScriptedDialogs::openFiles(const QString &title, const QString &filter)
{
    record(Kind::OpenFiles, {title, filter});
    return take(Kind::OpenFiles);
}

QString ScriptedDialogs::browseForFolder(const QString &prompt, const QString &startFolder)
{
    record(Kind::BrowseForFolder, {prompt, startFolder});
    return take(Kind::BrowseForFolder);
}

void ScriptedDialogs::openFolder(const QString &path)
{
    record(Kind::OpenFolder, {path});
}
