#include "cli/runcli.h"
#include "core/errorreport.h"
#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Kind = ScriptedDialogs::Kind;

const QString Prompt = QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for "
                                      "all txt files, doc for all doc files, etc.)");

QStringList rowsBelow(const QString &root, const FileListView &list)
{
    QStringList result;
    for (const QString &row : list.rows())
        result.append(row.startsWith(root + u'/') ? row.mid(root.size() + 1) : row);
    return result;
}

} // namespace

class TestAddFolderButton : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void addsMatchingFilesAndRemembersChoices();
    void answers_data();
    void answers();
    void cancelledPromptChangesNothing();
    void cancelledBrowserKeepsTheExtension();
    void sameScanTwiceAddsEveryFileTwice();
    void leftOutEntriesAreToldAfterTheScan();
    void windowIsBusyDuringTheScan();
    void closingTheWindowStopsTheScan();
    void failingStoreIsReportedAndTheScanGoesOn();
    void commandLineDryRunListsWhatTheWindowAdds();
};

void TestAddFolderButton::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
}

void TestAddFolderButton::addsMatchingFilesAndRemembersChoices()
{
    QTemporaryDir files;
    makeTree(files.path(),
             {QStringLiteral("a.xml"), QStringLiteral("~a.xml"), QStringLiteral("b.txt"),
              QStringLiteral("sub/c.XML")});
    WindowFixture fixture;
    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path() + u'/');
    QTest::mouseClick(fixture.control<QPushButton>("PushButton4"), Qt::LeftButton);

    const auto &calls = fixture.dialogs.calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].kind, Kind::InputBox);
    QCOMPARE(calls[0].texts,
             (QStringList{Prompt, QStringLiteral("Quillmere"), QStringLiteral("xml")}));
    QCOMPARE(calls[1].kind, Kind::BrowseForFolder);
    QCOMPARE(calls[1].texts, (QStringList{QStringLiteral("Please select folder:"), QString()}));
    auto *list = fixture.control<FileListView>("ListView1");
    QCOMPARE(rowsBelow(files.path(), *list),
             (QStringList{QStringLiteral("a.xml"), QStringLiteral("sub/c.XML")}));
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("LastFolder"), {}), files.path());
    QCOMPARE(fixture.window.pointer(), Form1::PointerKind::Default);

    // The next click offers the last answer and starts at the last folder.
    fixture.dialogs.clear();
    fixture.dialogs.answerInputBox(QStringLiteral("TXT"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();
    QCOMPARE(fixture.dialogs.calls()[0].texts.value(2), QStringLiteral("xml"));
    QCOMPARE(fixture.dialogs.calls()[1].texts.value(1), files.path());
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("Extension"), {}), QStringLiteral("TXT"));
    QCOMPARE(rowsBelow(files.path(), *list).mid(2), QStringList{QStringLiteral("b.txt")});
    QVERIFY(fixture.dialogs.allAnswersUsed());
}

void TestAddFolderButton::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("expected");

    const QStringList all{QStringLiteral(".hidden"), QStringLiteral("a.xml"),
                          QStringLiteral("Makefile"), QStringLiteral("notes.TXT")};
    QTest::newRow("star") << QStringLiteral("*") << all;
    QTest::newRow("case") << QStringLiteral("txt") << QStringList{QStringLiteral("notes.TXT")};
    QTest::newRow("dot-kept") << QStringLiteral(".xml") << QStringList{};
    QTest::newRow("question") << QStringLiteral("x?l") << QStringList{QStringLiteral("a.xml")};
}

void TestAddFolderButton::answers()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, expected);
    QTemporaryDir files;
    makeTree(files.path(),
             {QStringLiteral("a.xml"), QStringLiteral("Makefile"), QStringLiteral("notes.TXT"),
              QStringLiteral(".hidden"), QStringLiteral("~temp")});
    WindowFixture fixture;
    fixture.dialogs.answerInputBox(answer);
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();

    QCOMPARE(rowsBelow(files.path(), *fixture.control<FileListView>("ListView1")), expected);
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("Extension"), {}), answer);
}

void TestAddFolderButton::cancelledPromptChangesNothing()
{
    WindowFixture fixture;
    fixture.settings.WriteSetting(QStringLiteral("Extension"), QStringLiteral("csv"));
    fixture.dialogs.answerInputBox(QString());
    fixture.window.PushButton4_Click();

    QCOMPARE(fixture.dialogs.calls().size(), 1);
    QCOMPARE(fixture.dialogs.calls()[0].texts.value(2), QStringLiteral("csv"));
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("Extension"), {}), QStringLiteral("csv"));
    QCOMPARE(fixture.window.pointer(), Form1::PointerKind::Default);
}

void TestAddFolderButton::cancelledBrowserKeepsTheExtension()
{
    WindowFixture fixture;
    fixture.settings.WriteSetting(QStringLiteral("LastFolder"), QStringLiteral("/nowhere"));
    fixture.dialogs.answerInputBox(QStringLiteral("json"));
    fixture.dialogs.answerBrowseForFolder(QString());
    fixture.window.PushButton4_Click();

    QCOMPARE(fixture.dialogs.calls()[1].texts.value(1), QStringLiteral("/nowhere"));
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("Extension"), {}), QStringLiteral("json"));
    QCOMPARE(fixture.settings.ReadSetting(QStringLiteral("LastFolder"), {}),
             QStringLiteral("/nowhere"));
    QCOMPARE(fixture.control<FileListView>("ListView1")->rowCount(), 0);
    QCOMPARE(fixture.window.pointer(), Form1::PointerKind::Default);
}

void TestAddFolderButton::sameScanTwiceAddsEveryFileTwice()
{
    QTemporaryDir files;
    makeTree(files.path(), {QStringLiteral("a.xml"), QStringLiteral("s/b.xml")});
    WindowFixture fixture;
    for (int i = 0; i < 2; ++i) {
        fixture.dialogs.answerInputBox(QStringLiteral("xml"));
        fixture.dialogs.answerBrowseForFolder(files.path());
        fixture.window.PushButton4_Click();
    }
    QCOMPARE(rowsBelow(files.path(), *fixture.control<FileListView>("ListView1")),
             (QStringList{QStringLiteral("a.xml"), QStringLiteral("s/b.xml"),
                          QStringLiteral("a.xml"), QStringLiteral("s/b.xml")}));
}

// The rows keep the rules of the scan; what they leave out is told once, when the window is no
// longer busy.
void TestAddFolderButton::leftOutEntriesAreToldAfterTheScan()
{
    QTemporaryDir files;
    makeTree(files.path(), {QStringLiteral("a.xml"), QStringLiteral("tab\tdir/b.xml")});
    const QByteArray raw = QFile::encodeName(files.path()) + "/caf\xe9.xml";
    QFile rawFile;
    QVERIFY(rawFile.open(::open(raw.constData(), O_WRONLY | O_CREAT, 0644), QIODevice::WriteOnly,
                         QFile::AutoCloseHandle));
    rawFile.close();
    WindowFixture fixture;
    Form1::PointerKind pointer = Form1::PointerKind::Busy;
    fixture.dialogs.whileOpen = [&](const ScriptedDialogs::Call &) {
        pointer = fixture.window.pointer();
    };
    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();
    ::unlink(raw.constData());

    QCOMPARE(rowsBelow(files.path(), *fixture.control<FileListView>("ListView1")),
             QStringList{QStringLiteral("a.xml")});
    QCOMPARE(fixture.dialogs.messages(),
             QStringList{QStringLiteral("2 files or folders were not added:\r"
                                        "1 name that is not valid UTF-8\r"
                                        "1 folder whose name holds a control character")});
    QCOMPARE(pointer, Form1::PointerKind::Default);
}

void TestAddFolderButton::windowIsBusyDuringTheScan()
{
    QTemporaryDir files;
    makeTree(files.path(), {QStringLiteral("a.xml"), QStringLiteral("s/b.xml")});
    WindowFixture fixture;
    QList<Form1::PointerKind> seen;
    // Runs at the scan's first yield to the event loop.
    QTimer::singleShot(0, &fixture.window, [&] { seen.append(fixture.window.pointer()); });
    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();

    QCOMPARE(seen, QList<Form1::PointerKind>{Form1::PointerKind::Busy});
    QCOMPARE(fixture.window.pointer(), Form1::PointerKind::Default);
    QCOMPARE(fixture.control<FileListView>("ListView1")->rowCount(), 2);
}

void TestAddFolderButton::closingTheWindowStopsTheScan()
{
    QTemporaryDir files;
    makeTree(files.path(), {QStringLiteral("a.xml"), QStringLiteral("s/b.xml")});
    WindowFixture fixture;
    QTimer::singleShot(0, &fixture.window, [&] { fixture.window.close(); });
    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();

    QVERIFY(fixture.window.isClosing());
    QCOMPARE(fixture.control<FileListView>("ListView1")->rowCount(), 0);
}

void TestAddFolderButton::failingStoreIsReportedAndTheScanGoesOn()
{
    QTemporaryDir files;
    makeTree(files.path(), {QStringLiteral("a.xml")});
    WindowFixture fixture;
    // A settings file below a regular file cannot be written by anyone.
    const QString blocker = QFileInfo(fixture.settingsFile()).absolutePath();
    QDir(blocker).removeRecursively();
    QFile blockerFile(blocker);
    QVERIFY(blockerFile.open(QIODevice::WriteOnly));
    blockerFile.close();

    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();

    // The store's failure is told once for its cause, at the first write that meets it.
    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains(ProcedureTag::PushButton4Click + QStringLiteral("at line 100\r")));
    QCOMPARE(fixture.control<FileListView>("ListView1")->rows(),
             QStringList{files.path() + QStringLiteral("/a.xml")});
}

void TestAddFolderButton::commandLineDryRunListsWhatTheWindowAdds()
{
    QTemporaryDir files;
    makeTree(files.path(),
             {QStringLiteral("b.xml"), QStringLiteral("A.XML"), QStringLiteral("~lock.xml"),
              QStringLiteral(".hidden.xml"), QStringLiteral("m/deep/c.xml"),
              QStringLiteral("z/d.xml"), QStringLiteral("z/notes.txt")});
    QVERIFY(QFile::link(files.path() + QStringLiteral("/m"),
                        files.path() + QStringLiteral("/z/m")));
    WindowFixture fixture;
    fixture.dialogs.answerInputBox(QStringLiteral("xml"));
    fixture.dialogs.answerBrowseForFolder(files.path());
    fixture.window.PushButton4_Click();

    QBuffer in;
    QBuffer out;
    QBuffer err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(runCli({QStringLiteral("quillmere-cli"), QStringLiteral("--dry-run"), files.path()},
                    in, out, err),
             0);
    const QStringList listed = QString::fromUtf8(out.data()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(listed, fixture.control<FileListView>("ListView1")->rows());
    QCOMPARE(listed.size(), 5);
}

QTEST_MAIN(TestAddFolderButton)
#include "tst_addfolderbutton.moc"
