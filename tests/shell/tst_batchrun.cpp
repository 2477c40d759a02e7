#include "batch/conversionworker.h"
#include "core/errorreport.h"
#include "core/filename.h"
#include "shell/filelistview.h"
#include "support/testfiles.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QByteArray sample = "<root><child>value</child><n><m>x</m></n></root>";

// A window with input files in a temporary folder and the run's controls at hand.
struct RunFixture : WindowFixture {
    RunFixture()
    {
        list = control<FileListView>("ListView1");
        list->setHeaderLabels({u"XML File(s)"_s});
        bar = control<QProgressBar>("ProgressBar1");
        start = control<QPushButton>("PushButton2");
        text1 = control<QLineEdit>("Text1");
        text2 = control<QLineEdit>("Text2");
        saveHere = control<QRadioButton>("Option6");
        saveBeside = control<QRadioButton>("Option7");
        saveBeside->setChecked(true);
    }

    QString input(const QString &name, const QByteArray &content = sample)
    {
        const QString path = folder.filePath(name);
        writeFile(path, content);
        list->appendRow(path);
        return path;
    }
    QString path(const QString &name) const { return folder.filePath(name); }
    QStringList filesInFolder() const
    {
        return QDir(folder.path())
                .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDir::Name);
    }
    bool atRest() const
    {
        return bar->value() == 0 && window.progressValue() == 0.0
                && bar->text() == u"Progress Bar"_s
                && window.pointer() == Form1::PointerKind::Default && !window.runInProgress();
    }

    QTemporaryDir folder;
    FileListView *list = nullptr;
    QProgressBar *bar = nullptr;
    QPushButton *start = nullptr;
    QLineEdit *text1 = nullptr;
    QLineEdit *text2 = nullptr;
    QRadioButton *saveHere = nullptr;
    QRadioButton *saveBeside = nullptr;
};

// Makes a named pipe, a listening socket or (an existing one) a device and returns its path.
QString specialFile(const QString &kind, const QString &folder)
{
    if (kind == u"device"_s)
        return u"/dev/null"_s;
    const QString path = folder + u'/' + kind + u".xml"_s;
    const QByteArray native = QFile::encodeName(path);
    if (kind == u"pipe"_s) {
        if (::mkfifo(native.constData(), 0644) != 0)
            qFatal("mkfifo failed");
        return path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, native.constData(), sizeof address.sun_path);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket < 0
        || ::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        qFatal("socket failed");
    ::close(socket);
    return path;
}

QStringList texts(const char *first, const char *second = nullptr)
{
    QStringList result{QString::fromUtf8(first)};
    if (second)
        result.append(QString::fromUtf8(second));
    return result;
}

} // namespace

class TestBatchRun : public QObject {
    Q_OBJECT

private slots:
    void emptyListConvertsNothing();
    void folderCheck_data();
    void folderCheck();
    void parseErrorInTheMiddle();
    void unreadableListedFile_data();
    void unreadableListedFile();
    void specialListedFileIsRefusedUnopened_data();
    void specialListedFileIsRefusedUnopened();
    void closingWithAPipeListedEndsTheRun();
    void childlessRootGivesEmptyFile();
    void rerunOverwrites();
    void delimiters_data();
    void delimiters();
    void emptyOtherIsRefused();
    void noDelimiterSelectedIsRefused();
    void secondClickWhileYieldingDoesNothing();
    void failedWriteIsReportedAndRunGoesOn();
    void listedInputIsNeverReplaced();
    void outputPlaceIsTakenOnceAtTheCheck_data();
    void outputPlaceIsTakenOnceAtTheCheck();
    void closingMidRunLeavesNoPartialFile();
    void doneComesAfterTheBarIsAtRest();
    void rowsConvertTheNamesBytes_data();
    void rowsConvertTheNamesBytes();
    void folderLostMidRunIsReportedOnce();
    void rowsWritingOneResultAreReportedOnce();
    void everyFileIsReadOnTheWorker();
};

void TestBatchRun::emptyListConvertsNothing()
{
    RunFixture fixture;
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("No files added."));
    QCOMPARE(fixture.dialogs.calls().size(), 1);
    QVERIFY(fixture.atRest());
    QVERIFY(fixture.filesInFolder().isEmpty());
}

void TestBatchRun::folderCheck_data()
{
    QTest::addColumn<QString>("saveTo"); // "folder", "beside" or "nowhere"
    QTest::addColumn<QString>("text1"); // "<out>" is a folder that exists
    QTest::addColumn<QString>("refusal"); // empty: the file converts

    const QString missing = u"Folder does not exist. Please select another folder."_s;
    QTest::newRow("chosenFolder") << u"folder"_s << u"<out>"_s << QString();
    QTest::newRow("chosenFolderTrailing") << u"folder"_s << u"<out>/"_s << QString();
    QTest::newRow("chosenEmpty") << u"folder"_s << QString() << missing;
    QTest::newRow("chosenMissing") << u"folder"_s << u"<out>/missing"_s << missing;
    QTest::newRow("chosenThroughFile") << u"folder"_s << u"<out>/file.txt/sub"_s << missing;
    QTest::newRow("chosenUnwritable")
            << u"folder"_s << u"<out>/locked"_s
            << u"Cannot write to this folder. Please select another folder."_s;
    QTest::newRow("besideEmpty") << u"beside"_s << QString() << QString();
    QTest::newRow("besideMissing") << u"beside"_s << u"<out>/missing"_s << QString();
    QTest::newRow("noSaveOption") << u"nowhere"_s << u"<out>"_s
                                  << u"Please choose where to save the results."_s;
}

void TestBatchRun::folderCheck()
{
    QFETCH(QString, saveTo);
    QFETCH(QString, text1);
    QFETCH(QString, refusal);
    const bool saveToFolder = saveTo == u"folder"_s;
    RunFixture fixture;
    QTemporaryDir out;
    writeFile(out.filePath(u"file.txt"_s), "x");
    QVERIFY(QDir(out.path()).mkdir(u"locked"_s));
    QVERIFY(setUnwritable(out.filePath(u"locked"_s)));
    const auto unlock = qScopeGuard([&] { setWritable(out.filePath(u"locked"_s)); });
    fixture.input(u"a.xml"_s);
    (saveToFolder ? fixture.saveHere : fixture.saveBeside)->setChecked(true);
    if (saveTo == u"nowhere"_s)
        clearGroupOf(fixture.saveBeside);
    fixture.text1->setText(text1.replace(u"<out>"_s, out.path()));

    fixture.start->click();
    if (!refusal.isEmpty()) {
        QCOMPARE(fixture.dialogs.messages(), QStringList{refusal});
        QCOMPARE(fixture.filesInFolder(), texts("a.xml"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), texts("file.txt"));
        QVERIFY(fixture.atRest());
        return;
    }
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    const QString output = saveToFolder ? out.filePath(u"a.csv"_s) : fixture.path(u"a.csv"_s);
    QCOMPARE(readFile(output), QByteArray("root,child,value\r\nroot,n,m,x\r\n"));
    QCOMPARE(QFile::exists(fixture.path(u"a.csv"_s)), !saveToFolder);
    QVERIFY(fixture.atRest());
}

void TestBatchRun::parseErrorInTheMiddle()
{
    RunFixture fixture;
    fixture.input(u"a.xml"_s);
    // "%" in the name must reach the bar's caption as it is.
    const QString broken = fixture.input(u"b%p%v%m.xml"_s, "<root>\n<open></root>\n");
    fixture.input(u"c.xml"_s, "<c>3</c>");
    QString captionDuringMessage;
    double valueDuringMessage = -1;
    fixture.dialogs.whileOpen = [&](const ScriptedDialogs::Call &) {
        if (captionDuringMessage.isEmpty()) {
            captionDuringMessage = fixture.bar->text();
            valueDuringMessage = fixture.window.progressValue();
        }
    };

    fixture.start->click();
    const QStringList messages = fixture.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    const QRegularExpression failure(
            u"^Error reading (.*)\r\nerror:(.+)\r\nLine:(\\d+)\r\nposition:(\\d+)$"_s,
            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = failure.match(messages.at(0));
    QVERIFY2(match.hasMatch(), qPrintable(messages.at(0)));
    QCOMPARE(match.captured(1), broken);
    QCOMPARE(match.captured(3), u"2"_s);
    QVERIFY(match.captured(4).toInt() > 0);
    QCOMPARE(messages.at(1), u"Done."_s);
    QVERIFY(fixture.dialogs.errorReports().isEmpty());

    QCOMPARE(captionDuringMessage, u"Processing: b%p%v%m.xml"_s);
    QCOMPARE(valueDuringMessage, 200.0 / 3);
    QCOMPARE(fixture.filesInFolder(),
             texts("a.csv", "a.xml") + texts("b%p%v%m.xml", "c.csv") + texts("c.xml"));
    QCOMPARE(readFile(fixture.path(u"c.csv"_s)), QByteArray("c,3\r\n"));
    QVERIFY(fixture.atRest());
}

void TestBatchRun::unreadableListedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("missing") << u"gone.xml"_s << false;
    QTest::newRow("folder") << u"folder.xml"_s << true;
}

void TestBatchRun::unreadableListedFile()
{
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    RunFixture fixture;
    const QString listed = fixture.path(name);
    if (isFolder)
        QVERIFY(QDir().mkpath(listed));
    fixture.list->appendRow(listed);
    fixture.input(u"ok.xml"_s);

    fixture.start->click();
    const QStringList messages = fixture.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages.at(0).startsWith(u"Error reading "_s + listed + u"\r\nerror:"_s),
             qPrintable(messages.at(0)));
    QVERIFY2(messages.at(0).endsWith(u"\r\nLine:0\r\nposition:0"_s), qPrintable(messages.at(0)));
    QCOMPARE(messages.at(1), u"Done."_s);
    QVERIFY(QFile::exists(fixture.path(u"ok.csv"_s)));
    QVERIFY(!QFile::exists(fixture.path(QFileInfo(name).completeBaseName() + u".csv"_s)));
}

void TestBatchRun::specialListedFileIsRefusedUnopened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << u"pipe"_s << u"a named pipe, not a regular file"_s;
    QTest::newRow("socket") << u"socket"_s << u"a socket, not a regular file"_s;
    QTest::newRow("device") << u"device"_s << u"a device, not a regular file"_s;
}

void TestBatchRun::specialListedFileIsRefusedUnopened()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    RunFixture fixture;
    fixture.saveHere->setChecked(true);
    fixture.text1->setText(fixture.folder.path());
    const QString listed = specialFile(kind, fixture.folder.path());
    fixture.list->appendRow(listed);
    fixture.input(u"ok.xml"_s);

    // A pipe without a writer would hold the run here for good if it were opened.
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(),
             QStringList({u"Error reading "_s + listed + u"\r\nerror:"_s + reason
                                  + u"\r\nLine:0\r\nposition:0"_s,
                          u"Done."_s}));
    QVERIFY(QFile::exists(fixture.path(u"ok.csv"_s)));
}

void TestBatchRun::closingWithAPipeListedEndsTheRun()
{
    RunFixture fixture;
    specialFile(u"pipe"_s, fixture.folder.path());
    fixture.list->appendRow(fixture.path(u"pipe.xml"_s));
    QByteArray big = "<big>";
    while (big.size() < (8 << 20))
        big += "<row><name>some name</name><value>1234567890</value></row>\n";
    fixture.input(u"big.xml"_s, big + "</big>");
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));

    // Closes the window as soon as a worker runs: on the pipe, if it were opened.
    QTimer watch;
    connect(&watch, &QTimer::timeout, &fixture.window, [&] {
        if (ConversionWorker::unjoinedThreads() == 1) {
            watch.stop();
            fixture.window.close();
        }
    });
    watch.start(0);
    fixture.start->click();

    QVERIFY(fixture.window.isClosing());
    QCOMPARE(ConversionWorker::unjoinedThreads(), 0);
    QVERIFY(!QFile::exists(fixture.path(u"big.csv"_s)));
}

void TestBatchRun::childlessRootGivesEmptyFile()
{
    RunFixture fixture;
    fixture.input(u"empty.xml"_s, "<?xml version=\"1.0\"?>\n<root attr=\"1\"/>\n");
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    const QFileInfo output(fixture.path(u"empty.csv"_s));
    QVERIFY(output.exists());
    QCOMPARE(output.size(), 0);
}

void TestBatchRun::rerunOverwrites()
{
    RunFixture fixture;
    const QString input = fixture.input(u"a.xml"_s, "<r><old>1</old><old>2</old></r>");
    fixture.start->click();
    QCOMPARE(readFile(fixture.path(u"a.csv"_s)), QByteArray("r,old,1\r\nr,old,2\r\n"));

    writeFile(input, "<r><new>3</new></r>");
    fixture.start->click();
    QCOMPARE(readFile(fixture.path(u"a.csv"_s)), QByteArray("r,new,3\r\n"));
    QCOMPARE(fixture.dialogs.messages(), texts("Done.", "Done."));
}

void TestBatchRun::delimiters_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("comma") << u"Option1"_s << u"|"_s << QByteArray("root,child,value\r\n");
    QTest::newRow("commaSpace") << u"Option2"_s << u"|"_s << QByteArray("root, child, value\r\n");
    QTest::newRow("semicolon") << u"Option3"_s << u"|"_s << QByteArray("root;child;value\r\n");
    QTest::newRow("tab") << u"Option4"_s << u"|"_s << QByteArray("root\tchild\tvalue\r\n");
    QTest::newRow("otherBar") << u"Option5"_s << u"|"_s << QByteArray("root|child|value\r\n");
    QTest::newRow("otherDash") << u"Option5"_s << u" - "_s
                               << QByteArray("root - child - value\r\n");
}

void TestBatchRun::delimiters()
{
    QFETCH(QString, option);
    QFETCH(QString, other);
    QFETCH(QByteArray, expected);
    RunFixture fixture;
    fixture.input(u"d.xml"_s, "<root>\n  <child>value</child>\n</root>");
    fixture.control<QRadioButton>(qPrintable(option))->setChecked(true);
    fixture.text2->setText(other);
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    QCOMPARE(readFile(fixture.path(u"d.csv"_s)), expected);
}

void TestBatchRun::emptyOtherIsRefused()
{
    RunFixture fixture;
    fixture.input(u"a.xml"_s);
    fixture.control<QRadioButton>("Option5")->setChecked(true);
    fixture.text2->clear();
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("You forgot to input a value."));
    QCOMPARE(fixture.filesInFolder(), texts("a.xml"));
    QVERIFY(fixture.atRest());

    // "Other" not selected: its empty box does not matter.
    fixture.control<QRadioButton>("Option3")->setChecked(true);
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages().last(), u"Done."_s);
}

void TestBatchRun::noDelimiterSelectedIsRefused()
{
    RunFixture fixture;
    fixture.input(u"a.xml"_s);
    auto *comma = fixture.control<QRadioButton>("Option1");
    comma->setAutoExclusive(false);
    comma->setChecked(false);
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("Please choose a CSV delimiter."));
    QCOMPARE(fixture.filesInFolder(), texts("a.xml"));
    QVERIFY(fixture.atRest());
}

void TestBatchRun::secondClickWhileYieldingDoesNothing()
{
    RunFixture fixture;
    fixture.input(u"a.xml"_s);
    fixture.input(u"b.xml"_s);
    int clicksDuringRun = 0;
    QTimer during;
    connect(&during, &QTimer::timeout, &fixture.window, [&] {
        if (!fixture.window.runInProgress())
            return;
        ++clicksDuringRun;
        fixture.start->click();
        QVERIFY(fixture.window.runInProgress());
    });
    during.start(0);
    fixture.start->click();
    during.stop();

    QVERIFY(clicksDuringRun >= 2);
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    QCOMPARE(fixture.filesInFolder(), texts("a.csv", "a.xml") + texts("b.csv", "b.xml"));
}

void TestBatchRun::failedWriteIsReportedAndRunGoesOn()
{
    RunFixture fixture;
    QTemporaryDir out;
    // A folder where the output file should go cannot be replaced by a file, even by root.
    QVERIFY(QDir().mkpath(out.filePath(u"a.csv"_s)));
    fixture.input(u"a.xml"_s);
    fixture.input(u"b.xml"_s);
    fixture.saveHere->setChecked(true);
    fixture.text1->setText(out.path());

    fixture.start->click();
    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().contains(u"\r\n"_s + ProcedureTag::PushButton2Click
                                      + u"at line 160\r\r"_s),
             qPrintable(reports.front()));
    QVERIFY(!reports.front().startsWith(u"\r\n"_s));
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    QVERIFY(QFileInfo(out.filePath(u"a.csv"_s)).isDir());
    QCOMPARE(readFile(out.filePath(u"b.csv"_s)), QByteArray("root,child,value\r\nroot,n,m,x\r\n"));
    QVERIFY(fixture.atRest());
}

// Beside the original a.xml writes a.csv: listed too, a.csv is read, never replaced, and each
// refused result is reported at the step of a result that cannot be written.
void TestBatchRun::listedInputIsNeverReplaced()
{
    RunFixture fixture;
    const QString xml = fixture.input(u"a.xml"_s);
    const QString csv = fixture.input(u"a.csv"_s);

    fixture.start->click();
    QCOMPARE(readFile(csv), sample);
    const QStringList reports = fixture.dialogs.errorReports();
    QCOMPARE(reports.size(), 2);
    for (const QString &input : {xml, csv}) {
        const QString report = reports[input == xml ? 0 : 1];
        QVERIFY2(report.startsWith(
                         u"The result of %1 would replace %2, an input of this run\r\n"_s.arg(input,
                                                                                              csv))
                         && report.contains(u"at line 160\r\r"_s),
                 qPrintable(report));
    }
    QVERIFY(fixture.atRest());
}

void TestBatchRun::outputPlaceIsTakenOnceAtTheCheck_data()
{
    QTest::addColumn<bool>("switchToBeside");
    QTest::newRow("optionSwitched") << true;
    QTest::newRow("folderCleared") << false;
}

void TestBatchRun::outputPlaceIsTakenOnceAtTheCheck()
{
    QFETCH(bool, switchToBeside);
    RunFixture fixture;
    QTemporaryDir out;
    fixture.input(u"bad.xml"_s, "<unclosed>");
    fixture.input(u"good.xml"_s);
    fixture.saveHere->setChecked(true);
    fixture.text1->setText(out.path());
    // While the first file's failure is shown, the user changes where results go.
    fixture.dialogs.whileOpen = [&](const ScriptedDialogs::Call &call) {
        if (!call.texts.value(0).startsWith(u"Error reading"_s))
            return;
        if (switchToBeside)
            fixture.saveBeside->setChecked(true);
        else
            fixture.text1->clear();
    };
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages().last(), u"Done."_s);
    QCOMPARE(fixture.dialogs.errorReports(), QStringList());
    QVERIFY(QFile::exists(out.filePath(u"good.csv"_s)));
    QVERIFY(!QFile::exists(fixture.path(u"good.csv"_s)));
}

void TestBatchRun::closingMidRunLeavesNoPartialFile()
{
    RunFixture fixture;
    fixture.input(u"small.xml"_s);
    QByteArray big = "<big>";
    big.reserve(24 << 20);
    while (big.size() < (24 << 20))
        big += "<row><name>some name</name><value>1234567890</value></row>\n";
    big += "</big>";
    const QString bigInput = fixture.input(u"big.xml"_s, big);
    fixture.input(u"after.xml"_s);
    fixture.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.window));

    // Closes the window while the worker converts the big file.
    QTimer watch;
    connect(&watch, &QTimer::timeout, &fixture.window, [&] {
        if (fixture.bar->text() == u"Processing: big.xml"_s
            && ConversionWorker::unjoinedThreads() == 1) {
            watch.stop();
            fixture.window.close();
        }
    });
    watch.start(0);
    fixture.start->click();

    QVERIFY(fixture.window.isClosing());
    QVERIFY(!watch.isActive());
    QCOMPARE(ConversionWorker::unjoinedThreads(), 0);
    QVERIFY(fixture.dialogs.calls().isEmpty());
    QCOMPARE(readFile(fixture.path(u"small.csv"_s)),
             QByteArray("root,child,value\r\nroot,n,m,x\r\n"));
    // Neither the big file's output nor any temporary file of it, and nothing after it.
    QCOMPARE(fixture.filesInFolder(),
             texts("after.xml", "big.xml") + texts("small.csv", "small.xml"));
    QCOMPARE(fixture.list->rowText(1), bigInput);
}

void TestBatchRun::doneComesAfterTheBarIsAtRest()
{
    RunFixture fixture;
    fixture.input(u"a.xml"_s);
    bool barAtRestWhenDone = false;
    fixture.dialogs.whileOpen = [&](const ScriptedDialogs::Call &call) {
        if (call.texts.value(0) == u"Done."_s)
            barAtRestWhenDone = fixture.bar->value() == 0
                    && fixture.bar->text() == u"Progress Bar"_s
                    && fixture.window.pointer() == Form1::PointerKind::Default;
    };
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    QVERIFY(barAtRestWhenDone);
}

void TestBatchRun::rowsConvertTheNamesBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("strayByte") << QByteArray("r\xff.xml") << u"r\\xFF.xml"_s;
    QTest::newRow("escape") << QByteArray("e\x1b[1m.xml") << u"e\\x1B[1m.xml"_s;
}

// A row shows what a person can read, and the run reads and writes the name's own bytes.
void TestBatchRun::rowsConvertTheNamesBytes()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    RunFixture fixture;
    const QByteArray folder = QFile::encodeName(fixture.folder.path()) + '/';
    const int fd = ::open(QByteArray(folder + name).constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0 && ::write(fd, sample.constData(), sample.size()) == sample.size());
    ::close(fd);
    fixture.list->appendRow(FileName::fromBytes(QByteArray(folder + name)));
    QCOMPARE(fixture.list->rowText(0), fixture.folder.path() + u'/' + shown);

    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), QStringList{u"Done."_s});
    const QByteArray output = folder + name.chopped(4) + ".csv";
    const bool written = ::access(output.constData(), F_OK) == 0;
    // The temporary folder cannot remove names that are not UTF-8 by itself.
    ::unlink(output.constData());
    ::unlink(QByteArray(folder + name).constData());
    QVERIFY2(written, output.constData());
}

// The folder vanishes while the first file's report is open: the rest cannot be written, and
// one message says so instead of one report per file.
void TestBatchRun::folderLostMidRunIsReportedOnce()
{
    RunFixture fixture;
    QTemporaryDir out;
    fixture.saveHere->setChecked(true);
    fixture.text1->setText(out.path());
    fixture.input(u"a.xml"_s, "<broken>");
    for (const QString &name : {u"b.xml"_s, u"c.xml"_s, u"d.xml"_s})
        fixture.input(name);
    fixture.dialogs.whileOpen = [&](const ScriptedDialogs::Call &) {
        out.remove();
    };

    fixture.start->click();
    const QStringList messages = fixture.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages.at(0).startsWith(u"Error reading "_s));
    QCOMPARE(messages.at(1),
             u"Cannot write to this folder. Please select another folder.\r\r"
             "4 of 4 files were not converted."_s);
    QVERIFY(fixture.dialogs.errorReports().isEmpty());
    QVERIFY(fixture.atRest());
}

// Two rows whose results share a name: the later one's remains, and the run says so once.
void TestBatchRun::rowsWritingOneResultAreReportedOnce()
{
    RunFixture fixture;
    QTemporaryDir out;
    fixture.saveHere->setChecked(true);
    fixture.text1->setText(out.path());
    QVERIFY(QDir(fixture.folder.path()).mkdir(u"b"_s));
    const QString first = fixture.input(u"x.xml"_s, "<first>1</first>");
    const QString again = fixture.input(u"x.xml"_s, "<first>1</first>");
    const QString second = fixture.input(u"b/x.xml"_s, "<second>2</second>");
    Q_UNUSED(again);

    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(),
             QStringList({u"Some files of this run have the same result file; the result of the "
                          "later one remains:\r"_s
                                  + first + u" and "_s + second + u" both write "_s
                                  + out.filePath(u"x.csv"_s),
                          u"Done."_s}));
    QCOMPARE(readFile(out.filePath(u"x.csv"_s)), QByteArray("second,2\r\n"));
}

// Small files too: a file on a share that stalls must never hold the window's thread.
void TestBatchRun::everyFileIsReadOnTheWorker()
{
    RunFixture fixture;
    for (const QString &name : {u"a.xml"_s, u"b.xml"_s, u"c.xml"_s})
        fixture.input(name);
    const int before = ConversionWorker::conversionsStarted();
    fixture.start->click();
    QCOMPARE(fixture.dialogs.messages(), texts("Done."));
    QCOMPARE(ConversionWorker::conversionsStarted() - before, 3);
}

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
