#include "core/errorreport.h"
#include "core/reportingprocedure.h"
#include "support/scripteddialogs.h"

#include <QTest>

#include <stdexcept>

class TestErrorReport : public QObject {
    Q_OBJECT

private slots:
    void messageText();
    void failureInFirstStepReportsStep100();
    void twoFailuresGiveTwoReportsAndTheProcedureRunsToItsEnd();
    void failingTestRunsTheGuardedStatements();
    void failureOutOfHelperCarriesCallersTagAndStep();
    void failedStatementLeavesItsTargetUnchanged();
    void describesEveryKindOfException();
};

void TestErrorReport::messageText()
{
    QCOMPARE(
            errorReportText(QStringLiteral("Path not found"), ProcedureTag::FormLoad, 136),
            QStringLiteral("Path not found\r\nin Tarnwick2021/08/31.Form1.Form_Load at line 136\r\r"
                           "Please email screenshot of this message to ")
                    + SupportAddress);
    ScriptedDialogs dialogs;
    ReportError(dialogs, QStringLiteral("x"), ProcedureTag::GetSubDirectories2016, 150);
    QCOMPARE(dialogs.errorReports(),
             QStringList{errorReportText(QStringLiteral("x"), ProcedureTag::GetSubDirectories2016,
                                         150)});
    QVERIFY(dialogs.errorReports().front().contains(
            QStringLiteral("AddFolder.GetSubDirectories2016 at line 150\r\r")));
}

void TestErrorReport::failureInFirstStepReportsStep100()
{
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, ProcedureTag::PushButton6Click);
    procedure.run(100, [] { throw Failure(QStringLiteral("boom")); });
    QCOMPARE(dialogs.errorReports(),
             QStringList{
                     errorReportText(QStringLiteral("boom"), ProcedureTag::PushButton6Click, 100)});
}

void TestErrorReport::twoFailuresGiveTwoReportsAndTheProcedureRunsToItsEnd()
{
    ScriptedDialogs dialogs;
    QStringList done;
    ReportingProcedure procedure(dialogs, ProcedureTag::FormLoad);
    procedure.run(100, [&] { done << QStringLiteral("a"); });
    procedure.run(130, [] { throw Failure(QStringLiteral("caption")); });
    procedure.run(130, [&] { done << QStringLiteral("icon"); });
    procedure.run(136, [] { throw std::runtime_error("desktop"); });
    procedure.run(138, [&] { done << QStringLiteral("end"); });

    QCOMPARE(done,
             (QStringList{QStringLiteral("a"), QStringLiteral("icon"), QStringLiteral("end")}));
    QCOMPARE(
            dialogs.errorReports(),
            (QStringList{errorReportText(QStringLiteral("caption"), ProcedureTag::FormLoad, 130),
                         errorReportText(QStringLiteral("desktop"), ProcedureTag::FormLoad, 136)}));
}

void TestErrorReport::failingTestRunsTheGuardedStatements()
{
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, ProcedureTag::FormLoad);
    bool guardedRan = false;
    if (procedure.test(102, []() -> bool { throw Failure(QStringLiteral("test")); }))
        guardedRan = procedure.run(104, [] {});
    QVERIFY(guardedRan);
    QCOMPARE(dialogs.errorReports().size(), 1);
    QVERIFY(!procedure.test(154, [] { return false; }));
}

void TestErrorReport::failureOutOfHelperCarriesCallersTagAndStep()
{
    ScriptedDialogs dialogs;
    bool restOfHelperRan = false;
    auto helper = [&] {
        throw Failure(QStringLiteral("skin"));
        restOfHelperRan = true;
    };
    ReportingProcedure procedure(dialogs, ProcedureTag::FormLoad);
    procedure.run(100, helper);
    QVERIFY(!restOfHelperRan);
    QCOMPARE(dialogs.errorReports(),
             QStringList{errorReportText(QStringLiteral("skin"), ProcedureTag::FormLoad, 100)});
}

void TestErrorReport::failedStatementLeavesItsTargetUnchanged()
{
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, ProcedureTag::FormLoad);
    QString text = QStringLiteral("before");
    auto failingRead = []() -> QString {
        throw Failure(QStringLiteral("no desktop"));
    };
    QVERIFY(!procedure.run(136, [&] { text = failingRead(); }));
    QCOMPARE(text, QStringLiteral("before"));
}

void TestErrorReport::describesEveryKindOfException()
{
    ScriptedDialogs dialogs;
    ReportingProcedure procedure(dialogs, ProcedureTag::PushButton2Click);
    procedure.run(160, [] { throw std::bad_alloc(); });
    procedure.run(162, [] { throw 42; });
    QVERIFY(dialogs.errorReports().at(0).startsWith(QStringLiteral("Out of memory\r\n")));
    QVERIFY(dialogs.errorReports().at(1).startsWith(QStringLiteral("Unknown failure\r\n")));
}

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
