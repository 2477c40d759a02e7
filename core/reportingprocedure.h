#pragma once

#include "core/errorreport.h"
#include "core/failure.h"

#include <QString>

class Dialogs;

// The error handling of a procedure that numbers its statements: a failing statement is
// reported with the procedure's tag and the current step number, and the procedure goes on
// with the next statement.
//
//     ReportingProcedure procedure(dialogs, ProcedureTag::PushButton9Click);
//     procedure.run(100, [&] { folder = store.ReadSetting(...); });
//     if (procedure.test(102, [&] { return folder.isEmpty(); }))
//         return;
class ReportingProcedure {
public:
    ReportingProcedure(Dialogs &dialogs, QString tag)
        : m_dialogs(dialogs), m_tag(std::move(tag)) { }

    // Begins the step and runs one statement of it; a failure is reported and swallowed.
    // Returns false when the statement failed.
    template<typename Statement> bool run(int step, Statement &&statement)
    {
        m_step = step;
        try {
            statement();
            return true;
        } catch (...) {
            report(describeCurrentException());
            return false;
        }
    }

    // Begins the step and evaluates the condition of a test. A failing test counts as passed,
    // so the statements it guards run next.
    template<typename Condition> bool test(int step, Condition &&condition)
    {
        m_step = step;
        try {
            return static_cast<bool>(condition());
        } catch (...) {
            report(describeCurrentException());
            return true;
        }
    }

    int currentStep() const { return m_step; }

    // Reports a failure at the current step, for callers that caught it themselves.
    void report(const QString &description);

private:
    Dialogs &m_dialogs;
    QString m_tag;
    int m_step = 100;
};
