#include "core/nativename.h"
#include "support/clirun.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exitStatus_data();
    void exitStatus();
    void delimiter_data();
    void delimiter();
    void outputDir_data();
    void outputDir();
    void missingOutputDir_data();
    void missingOutputDir();
    void extension_data();
    void extension();
    void dryRunOrder();
    void folderScanSkipsPipesAndLinkedFolders();
    void folderScanNamesWhatItCannotSearch();
    void update_data();
    void update();
    void dotDotAfterALink_data();
    void dotDotAfterALink();
    void currentFolderTooLongToName();
    void toStdout();
    void toStdoutStreamsUntilTheError();
    void standardInput_data();
    void standardInput();
    void programReadsStandardInput();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void byteNamesKeepTheOutputRules();
    void parallelOutputsMatchSerial();
    void sameOutputKeepsLaterInput_data();
    void sameOutputKeepsLaterInput();
    void sameOutputThroughALink_data();
    void sameOutputThroughALink();
    void parseErrorReportedAndRunGoesOn();
    void writeErrorReportedAndRunGoesOn_data();
    void writeErrorReportedAndRunGoesOn();

private:
    CliFolder m_folder;
};

namespace {

const QByteArray simpleDocument = "<r><a>x</a></r>";
const QByteArray simpleOutput = "r,a,x\r\n";
const QByteArray malformedDocument = "<r>\n<a></b>\n</r>";

QByteArray numberedDocument(int n)
{
    QByteArray document = "<?xml version=\"1.0\"?>\n<list n=\"" + QByteArray::number(n) + "\">\n";
    for (int i = 0; i <= n % 7; ++i)
        document += "  <item><id>" + QByteArray::number(n * 100 + i) + "</id><!--c"
                + QByteArray::number(i) + "--><![CDATA[raw & " + QByteArray::number(i)
                + "]]>mixed</item>\n";
    return document + "</list>\n";
}

} // namespace

void TestCli::init()
{
    m_folder.setUp();
}

void TestCli::cleanup()
{
    m_folder.tearDown();
}

void TestCli::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // all of standard error, <dir> the folder; or empty

    const auto row
            = [](const char *name, QStringList arguments, int status, const QString &message = {}) {
                  QTest::newRow(name) << arguments << status << message;
              };
    row("allConverted", {u"good.xml"_s, u"also.xml"_s}, 0);
    row("oneMalformed", {u"good.xml"_s, u"bad.xml"_s, u"also.xml"_s}, 1);
    row("missingInput", {u"good.xml"_s, u"none.xml"_s}, 3);
    row("inputBelowFile", {u"good.xml"_s, u"good.xml/x.xml"_s}, 3);
    row("missingInputGnu", {u"--error-format=gnu"_s, u"good.xml"_s, u"none.xml"_s}, 3,
        u"<dir>/none.xml: error: cannot read: No such file or directory\n"_s);
    row("inputIsFolderWithoutXml", {u"empty"_s}, 3);
    row("folderWithoutXmlQuiet", {u"-q"_s, u"good.xml"_s, u"empty"_s}, 3,
        u"quillmere-cli: no file matches *.xml in <dir>/empty\n"_s);
    row("outputIsAnInput", {u"data.xml"_s, u"good.xml"_s, u"data.csv"_s}, 1);
    row("noPath", {}, 2);
    row("unknownOption", {u"--frobnicate"_s, u"good.xml"_s}, 2);
    row("emptyDelimiter", {u"-d"_s, QString(), u"good.xml"_s}, 2);
    row("emptyDelimiterJoined", {u"--delimiter="_s, u"good.xml"_s}, 2);
    row("delimiterWithoutValue", {u"good.xml"_s, u"-d"_s}, 2);
    row("tabAndDelimiter", {u"--tab"_s, u"-d"_s, u";"_s, u"good.xml"_s}, 2);
    row("jobsZero", {u"-j"_s, u"0"_s, u"good.xml"_s}, 2);
    row("jobsText", {u"--jobs"_s, u"two"_s, u"good.xml"_s}, 2);
    row("stdoutTwoInputs", {u"--stdout"_s, u"good.xml"_s, u"also.xml"_s}, 2);
    row("stdoutWithOutputDir", {u"--stdout"_s, u"-o"_s, u"empty"_s, u"good.xml"_s}, 2);
    row("stdoutEmptyFolder", {u"--stdout"_s, u"empty"_s}, 3);
    row("updateStandardOutput", {u"-u"_s, u"--stdout"_s, u"good.xml"_s}, 2);
    // A refused job stays refused, however new the file it would replace.
    row("updateKeepsRefusals", {u"-u"_s, u"data.xml"_s, u"good.xml"_s, u"data.csv"_s}, 1);
    row("stdinTwice", {u"-"_s, u"-"_s}, 2);
    row("controlInUsageError", {u"--eol"_s, u"\x1b[2J"_s, u"good.xml"_s}, 2);
    row("controlInExtension", {u"-e"_s, u"\x1b[2J"_s, u"empty"_s}, 3);
    row("controlInListName", {u"--files-from"_s, u"no\x1b[2Jlist"_s}, 3);
    row("listIsFolder", {u"--files-from"_s, u"empty"_s, u"good.xml"_s}, 3,
        u"quillmere-cli: cannot read the file list empty: Is a directory\n"_s);
    row("help", {u"--help"_s}, 0);
    row("version", {u"--version"_s}, 0);
}

void TestCli::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    m_folder.writeFile(u"good.xml"_s, simpleDocument);
    m_folder.writeFile(u"also.xml"_s, simpleDocument);
    m_folder.writeFile(u"bad.xml"_s, malformedDocument);
    m_folder.writeFile(u"data.xml"_s, simpleDocument);
    m_folder.writeFile(u"data.csv"_s, malformedDocument); // an XML file, named so
    QVERIFY(QDir().mkpath(m_folder.path(u"empty"_s)));

    const CliRun result = runCliInMemory(arguments);
    QCOMPARE(result.status, status);
    // An input is never replaced, by its own result or another's.
    QCOMPARE(m_folder.readFile(u"data.csv"_s), malformedDocument);
    // Messages are lines a terminal shows as they are: what was typed is escaped.
    QVERIFY2(std::none_of(result.err.cbegin(), result.err.cend(),
                          [](char c) { return c >= 0 && c < 0x20 && c != '\n'; }),
             result.err.constData());
    if (!message.isEmpty())
        QCOMPARE(QString::fromUtf8(result.err), message.replace(u"<dir>"_s, m_folder.path()));
    if (status >= 2) {
        QVERIFY(result.out.isEmpty());
        QVERIFY(!message.isEmpty() || result.err.startsWith("quillmere-cli: "));
        QVERIFY(!QFile::exists(m_folder.path(u"good.csv"_s)));
    }
    if (status == 1)
        QCOMPARE(m_folder.readFile(u"good.csv"_s), simpleOutput);
}

void TestCli::delimiter_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("default") << QStringList() << QByteArray("r,a,x\r\n");
    QTest::newRow("doubleDash") << QStringList{u"-d"_s, u"--"_s} << QByteArray("r--a--x\r\n");
    QTest::newRow("singleDash") << QStringList{u"-d"_s, u"-"_s} << QByteArray("r-a-x\r\n");
    QTest::newRow("spacedDash") << QStringList{u"-d"_s, u" - "_s} << QByteArray("r - a - x\r\n");
    QTest::newRow("looksLikeOption") << QStringList{u"-d"_s, u"-q"_s} << QByteArray("r-qa-qx\r\n");
    QTest::newRow("longOption") << QStringList{u"--delimiter"_s, u"--"_s}
                                << QByteArray("r--a--x\r\n");
    QTest::newRow("longJoined") << QStringList{u"--delimiter=;"_s} << QByteArray("r;a;x\r\n");
    QTest::newRow("longJoinedDashes")
            << QStringList{u"--delimiter=--"_s} << QByteArray("r--a--x\r\n");
    QTest::newRow("shortJoined") << QStringList{u"-d|"_s} << QByteArray("r|a|x\r\n");
    QTest::newRow("lastWins") << QStringList{u"-d"_s, u";"_s, u"-d"_s, u"|"_s}
                              << QByteArray("r|a|x\r\n");
    QTest::newRow("tab") << QStringList{u"--tab"_s} << QByteArray("r\ta\tx\r\n");
    QTest::newRow("unicode") << QStringList{u"-d"_s, u"→"_s} << QByteArray("r→a→x\r\n");
}

void TestCli::delimiter()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    m_folder.writeFile(u"in.xml"_s, simpleDocument);

    const CliRun result = runCliInMemory(options << u"in.xml"_s);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(m_folder.readFile(u"in.csv"_s), expected);
}

void TestCli::outputDir_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected"); // the files below out/

    QTest::newRow("flat") << QStringList() << 0
                          << QStringList{u"one.csv"_s, u"same.csv"_s, u"three.csv"_s,
                                         u"two.data.csv"_s};
    const QStringList mirrored{u"a/deep/three.csv"_s, u"a/same.csv"_s, u"b/same.csv"_s,
                               u"one.csv"_s, u"two.data.csv"_s};
    QTest::newRow("tree") << QStringList{u"--tree"_s} << 0 << mirrored;
    QTest::newRow("treeParallel") << QStringList{u"--tree"_s, u"-j"_s, u"3"_s} << 0 << mirrored;
    // A file named on its own has no folder below its PATH.
    QTest::newRow("treeNamedFile")
            << QStringList{u"--tree"_s, u"src/a/deep/three.xml"_s} << 0
            << QStringList{u"a/deep/three.csv"_s, u"a/same.csv"_s, u"b/same.csv"_s,
                           u"one.csv"_s,          u"three.csv"_s,  u"two.data.csv"_s};
    // out/a is a link to a folder outside out/: never followed, nothing written there.
    QTest::newRow("treeLinkBelow") << QStringList{u"--tree"_s, u"--link"_s} << 1
                                   << QStringList{u"b/same.csv"_s, u"one.csv"_s, u"two.data.csv"_s};
    QTest::newRow("treeWithoutFolder")
            << QStringList{u"--tree"_s, u"--no-output-dir"_s} << 2 << QStringList();
}

void TestCli::outputDir()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    for (const QString &name : {u"src/one.xml"_s, u"src/two.data.xml"_s, u"src/a/same.xml"_s,
                                u"src/b/same.xml"_s, u"src/a/deep/three.xml"_s})
        m_folder.writeFile(name, simpleDocument);
    QVERIFY(QDir().mkpath(m_folder.path(u"out"_s)));
    QVERIFY(QDir().mkpath(m_folder.path(u"elsewhere"_s)));
    if (options.removeAll(u"--link"_s) > 0)
        QVERIFY(QFile::link(m_folder.path(u"elsewhere"_s), m_folder.path(u"out/a"_s)));
    const bool toFolder = options.removeAll(u"--no-output-dir"_s) == 0;

    const CliRun result = runCliInMemory(
            (toFolder ? QStringList{u"-o"_s, u"out/"_s} : QStringList()) + options << u"src"_s);
    QCOMPARE(result.status, status);
    QStringList written;
    for (QDirIterator it(m_folder.path(u"out"_s), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();)
        written.append(QDir(m_folder.path(u"out"_s)).relativeFilePath(it.next()));
    written.sort();
    QCOMPARE(written, expected);
    for (const QString &name : std::as_const(expected))
        QCOMPARE(m_folder.readFile(u"out/"_s + name), simpleOutput);
    QCOMPARE(QDir(m_folder.path(u"elsewhere"_s)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
    QVERIFY(!QFile::exists(m_folder.path(u"src/one.csv"_s)));
}

void TestCli::missingOutputDir_data()
{
    QTest::addColumn<QString>("outputDir");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"nowhere"_s << u"it does not exist"_s;
    QTest::newRow("throughFile") << u"in.xml/out"_s << u"Not a directory"_s;
    QTest::newRow("isFile") << u"in.xml"_s << u"it is a file, not a folder"_s;
}

void TestCli::missingOutputDir()
{
    QFETCH(QString, outputDir);
    QFETCH(QString, reason);
    m_folder.writeFile(u"in.xml"_s, simpleDocument);

    const CliRun result = runCliInMemory({u"--output-dir"_s, outputDir, u"in.xml"_s});
    QCOMPARE(result.status, 3);
    QCOMPARE(QString::fromUtf8(result.err),
             u"quillmere-cli: the output folder %1 cannot be used: %2\n"_s.arg(
                     m_folder.path(outputDir), reason));
    QCOMPARE(QDir(m_folder.path(QString()))
                     .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{u"in.xml"_s});
}

void TestCli::extension_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("expected");

    // Names differing only in letter case keep one order: upper case first.
    const QStringList xmlFiles{u"A.XML"_s, u"a.xml"_s, u"b.xml"_s, u"sub/c.Xml"_s};
    QTest::newRow("default") << QStringList() << xmlFiles;
    QTest::newRow("upperCase") << QStringList{u"-e"_s, u"XML"_s} << xmlFiles;
    QTest::newRow("leadingDot") << QStringList{u"--extension"_s, u".xml"_s} << xmlFiles;
    QTest::newRow("other") << QStringList{u"-e"_s, u"txt"_s} << QStringList{u"notes.txt"_s};
    QTest::newRow("every") << QStringList{u"-e"_s, u"*"_s}
                           << QStringList{u"A.XML"_s, u"a.xml"_s,     u"b.xml"_s,
                                          u"noext"_s, u"notes.txt"_s, u"sub/c.Xml"_s};
}

void TestCli::extension()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, expected);
    for (const QString &name :
         {u"b.xml"_s, u"a.xml"_s, u"A.XML"_s, u"notes.txt"_s, u"noext"_s, u"sub/c.Xml"_s})
        m_folder.writeFile(u"tree/"_s + name, simpleDocument);

    CliRun result = runCliInMemory(QStringList(options) << u"--dry-run"_s << u"tree"_s);
    QCOMPARE(result.status, 0);
    QStringList listed;
    for (const QString &file : QString::fromUtf8(result.out).split(u'\n', Qt::SkipEmptyParts))
        listed << QDir(m_folder.path(u"tree"_s)).relativeFilePath(file);
    QCOMPARE(listed, expected);

    result = runCliInMemory(QStringList(options) << u"tree"_s);
    QCOMPARE(result.status, 0);
    for (const QString &name : expected)
        QCOMPARE(m_folder.readFile(u"tree/"_s + name.section(u'.', 0, 0) + u".csv"_s),
                 simpleOutput);
}

void TestCli::dryRunOrder()
{
    for (const char *name :
         {"root/b.xml", "root/a.xml", "root/z/one.xml", "root/m/two.xml", "root/m/deep/three.xml",
          "root/a/x.xml", "root/z/deeper/er/four.xml", "root/tab\tdir/five.xml", "single.xml"})
        m_folder.writeFile(QString::fromLatin1(name), simpleDocument);

    const CliRun result
            = runCliInMemory({u"-n"_s, u"single.xml"_s, u"root"_s, u"./single.xml"_s, u"-"_s});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, QByteArray());
    const QStringList expected{m_folder.path(u"single.xml"_s),
                               m_folder.path(u"root/a.xml"_s),
                               m_folder.path(u"root/b.xml"_s),
                               m_folder.path(u"root/a/x.xml"_s),
                               m_folder.path(u"root/m/two.xml"_s),
                               m_folder.path(u"root/tab\\x09dir/five.xml"_s),
                               m_folder.path(u"root/z/one.xml"_s),
                               m_folder.path(u"root/m/deep/three.xml"_s),
                               m_folder.path(u"root/z/deeper/er/four.xml"_s),
                               m_folder.path(u"single.xml"_s),
                               u"-"_s};
    QCOMPARE(QString::fromUtf8(result.out), expected.join(u'\n') + u'\n');
    QCOMPARE(QDir(m_folder.path(u"root"_s)).entryList({u"*.csv"_s}, QDir::Files), QStringList());
    QVERIFY(!QFile::exists(m_folder.path(u"single.csv"_s)));
}

void TestCli::folderScanSkipsPipesAndLinkedFolders()
{
    m_folder.writeFile(u"root/a.xml"_s, simpleDocument);
    m_folder.writeFile(u"outside/b.xml"_s, simpleDocument);
    QVERIFY(::mkfifo(QFile::encodeName(m_folder.path(u"root/pipe.xml"_s)).constData(), 0644) == 0);
    QVERIFY(QFile::link(m_folder.path(u"outside"_s), m_folder.path(u"root/link"_s)));

    const CliRun result = runCliInMemory({u"-n"_s, u"root"_s});
    QCOMPARE(result.status, 0);
    QCOMPARE(QString::fromUtf8(result.out), m_folder.path(u"root/a.xml"_s) + u'\n');
}

// A folder whose path the system cannot open (PATH_MAX) is named, the run goes on without it,
// and the exit status says that not everything was converted.
void TestCli::folderScanNamesWhatItCannotSearch()
{
    QString deep = u"tree"_s;
    for (int level = 0; level < 16; ++level)
        deep += u'/' + QString(240, QChar(u'a' + level));
    m_folder.writeFile(deep + u"/in.xml"_s, simpleDocument);
    const QByteArray folder = QFile::encodeName(m_folder.path(deep));
    const QByteArray tooLong(250, 'z');
    const int handle = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(handle >= 0);
    QCOMPARE(::mkdirat(handle, tooLong.constData(), 0755), 0);

    const CliRun result = runCliInMemory({u"tree"_s});
    ::unlinkat(handle, tooLong.constData(), AT_REMOVEDIR);
    ::close(handle);
    QCOMPARE(result.status, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             u"quillmere-cli: too long a path to search "_s + m_folder.path(deep) + u'/'
                     + QString::fromLatin1(tooLong) + u'\n');
    QCOMPARE(m_folder.readFile(deep + u"/in.csv"_s), simpleOutput);
}

void TestCli::update_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<qint64>("outputLater"); // nanoseconds from the input's time to the output's
    QTest::addColumn<bool>("converted");

    QTest::addColumn<bool>("outputIsFolder"); // refused, however new

    QTest::newRow("missing") << true << false << qint64(0) << true << false;
    QTest::newRow("older") << true << true << qint64(-10'000'000'000) << true << false;
    QTest::newRow("olderByANanosecond") << true << true << qint64(-1) << true << false;
    QTest::newRow("sameTime") << true << true << qint64(0) << false << false;
    QTest::newRow("newer") << true << true << qint64(10'000'000'000) << false << false;
    QTest::newRow("newerWithoutUpdate") << false << true << qint64(10'000'000'000) << true << false;
    QTest::newRow("newerFolder") << true << true << qint64(10'000'000'000) << true << true;
}

void TestCli::update()
{
    QFETCH(bool, update);
    QFETCH(bool, outputExists);
    QFETCH(qint64, outputLater);
    QFETCH(bool, converted);
    QFETCH(bool, outputIsFolder);
    m_folder.writeFile(u"in.xml"_s, simpleDocument);
    if (outputIsFolder)
        QVERIFY(QDir().mkpath(m_folder.path(u"in.csv"_s)));
    else if (outputExists)
        m_folder.writeFile(u"in.csv"_s, "earlier");
    const timespec input{1'600'000'000, 500'000'000};
    const qint64 output = input.tv_sec * 1'000'000'000 + input.tv_nsec + outputLater;
    const timespec inputTimes[2]{input, input};
    const timespec outputTimes[2]{{output / 1'000'000'000, output % 1'000'000'000},
                                  {output / 1'000'000'000, output % 1'000'000'000}};
    QCOMPARE(::utimensat(AT_FDCWD, "in.xml", inputTimes, 0), 0);
    QVERIFY(!outputExists || ::utimensat(AT_FDCWD, "in.csv", outputTimes, 0) == 0);
    const QStringList options = update ? QStringList{u"-u"_s} : QStringList();

    const CliRun listing = runCliInMemory(options + QStringList{u"-n"_s, u"in.xml"_s});
    QCOMPARE(listing.out, converted ? m_folder.path(u"in.xml\n"_s).toUtf8() : QByteArray());
    const CliRun run = runCliInMemory(options + QStringList{u"in.xml"_s});
    QCOMPARE(run.status, outputIsFolder ? 1 : 0);
    QCOMPARE(run.err.contains("Every result is up to date."), !converted);
    if (!outputIsFolder)
        QCOMPARE(m_folder.readFile(u"in.csv"_s),
                 converted ? simpleOutput : QByteArray(outputExists ? "earlier" : "<missing>"));
}

void TestCli::dotDotAfterALink_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("list"); // for --files-from
    QTest::addColumn<QString>("result");
    QTest::addColumn<QByteArray>("expected");

    // link/.. is the folder above the link's target, real/, not the current folder.
    QTest::newRow("input") << QStringList{u"link/../data.xml"_s} << QByteArray()
                           << u"real/data.csv"_s << QByteArray("r,real\r\n");
    QTest::newRow("outputFolder") << QStringList{u"-o"_s, u"link/.."_s, u"data.xml"_s}
                                  << QByteArray() << u"real/data.csv"_s << QByteArray("r,here\r\n");
    QTest::newRow("filesFrom") << QStringList{u"--files-from"_s, u"list"_s}
                               << QByteArray("link/../data.xml\n") << u"real/data.csv"_s
                               << QByteArray("r,real\r\n");
}

// Paths mean what the system opens: ".." after a symbolic link is not folded away.
void TestCli::dotDotAfterALink()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, list);
    QFETCH(QString, result);
    QFETCH(QByteArray, expected);
    m_folder.writeFile(u"data.xml"_s, "<r>here</r>");
    m_folder.writeFile(u"real/data.xml"_s, "<r>real</r>");
    m_folder.writeFile(u"list"_s, list);
    QVERIFY(QDir().mkpath(m_folder.path(u"real/inner"_s)));
    QVERIFY(QFile::link(m_folder.path(u"real/inner"_s), m_folder.path(u"link"_s)));

    const CliRun run = runCliInMemory(arguments);
    QCOMPARE(run.status, 0);
    QCOMPARE(m_folder.readFile(result), expected);
    QVERIFY(!QFile::exists(m_folder.path(u"data.csv"_s)));
}

// A current folder the system cannot name: relative paths stay relative, so they still name
// the files below it, never files below "/".
void TestCli::currentFolderTooLongToName()
{
    const QString top = QString(250, u'd');
    QVERIFY(::mkdir(QFile::encodeName(top).constData(), 0755) == 0);
    QVERIFY(::chdir(QFile::encodeName(top).constData()) == 0);
    for (int level = 0; level < 17; ++level) {
        QVERIFY(::mkdir(QFile::encodeName(top).constData(), 0755) == 0);
        QVERIFY(::chdir(QFile::encodeName(top).constData()) == 0);
    }
    // A name of its own, so that a result wrongly written to the root is known as this one's.
    const char *input = "tst_cli-long-folder.xml";
    QFile file;
    QVERIFY(file.open(::open(input, O_WRONLY | O_CREAT, 0644), QIODevice::WriteOnly,
                      QFile::AutoCloseHandle));
    file.write(simpleDocument);
    file.close();
    const CliRun listing = runCliInMemory({u"-n"_s, QString::fromLatin1(input)});
    const CliRun run = runCliInMemory({QString::fromLatin1(input)});
    const bool opened = file.open(::open("tst_cli-long-folder.csv", O_RDONLY), QIODevice::ReadOnly,
                                  QFile::AutoCloseHandle);
    const QByteArray converted = opened ? file.readAll() : QByteArray();
    QVERIFY(QDir::setCurrent(m_folder.path()));
    QCOMPARE(QProcess::execute(u"rm"_s, {u"-rf"_s, u"--"_s, top}), 0);

    QVERIFY(!QFile::remove(u"/tst_cli-long-folder.csv"_s));
    QCOMPARE(listing.out, QByteArray(input) + '\n');
    QCOMPARE(run.status, 0);
    QCOMPARE(converted, simpleOutput);
}

void TestCli::toStdout()
{
    m_folder.writeFile(u"in.xml"_s, simpleDocument);
    m_folder.writeFile(u"bad.xml"_s, malformedDocument);

    CliRun result = runCliInMemory({u"--stdout"_s, u"-d"_s, u";"_s, u"in.xml"_s});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QByteArray("r;a;x\r\n"));
    QVERIFY(!QFile::exists(m_folder.path(u"in.csv"_s)));

    result = runCliInMemory({u"--stdout"_s, u"bad.xml"_s});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(QString::fromUtf8(result.err)
                    .startsWith(u"Error reading "_s + m_folder.path(u"bad.xml"_s) + u'\n'));
}

void TestCli::toStdoutStreamsUntilTheError()
{
    m_folder.writeFile(u"cut.xml"_s, "<r><a>x</a><b>y</b><c>");
    const CliRun result = runCliInMemory({u"--stdout"_s, u"cut.xml"_s});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out, QByteArray("r,a,x\r\nr,b,y\r\n"));
    QVERIFY(result.err.startsWith("Error reading "));
}

void TestCli::standardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");

    QTest::newRow("document") << simpleDocument << 0 << QByteArray("r|a|x\r\n");
    QTest::newRow("malformed") << malformedDocument << 1 << QByteArray();
    QTest::newRow("empty") << QByteArray() << 1 << QByteArray();
}

void TestCli::standardInput()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    m_folder.writeFile(u"file.xml"_s, simpleDocument);

    const CliRun result = runCliInMemory({u"-d"_s, u"|"_s, u"-"_s, u"file.xml"_s}, input);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, out);
    QCOMPARE(m_folder.readFile(u"file.csv"_s), QByteArray("r|a|x\r\n"));
    if (status == 1)
        QVERIFY(result.err.startsWith("Error reading standard input\nerror:"));
}

void TestCli::programReadsStandardInput()
{
    QProcess program;
    program.start(QStringLiteral(QUILLMERE_BIN_DIR "/quillmere-cli"), {u"-d"_s, u"--"_s, u"-"_s});
    QVERIFY(program.waitForStarted());
    program.write(simpleDocument);
    program.closeWriteChannel();
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput(), QByteArray("r--a--x\r\n"));
    QCOMPARE(program.readAllStandardError(), QByteArray());
}

void TestCli::namesThatAreNotUtf8_data()
{
    // Arguments go through the shell, so the program gets the very bytes; \351 is Latin-1 é.
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QByteArray>("result"); // the output, or empty for none
    QTest::addColumn<QByteArray>("resultName");
    const QByteArray beside = "/caf\xe9.csv";

    QTest::newRow("convert") << u"\"$(printf 'caf\\351.xml')\""_s << 0 << QByteArray()
                             << QByteArray() << QByteArray("r,a,x\r\n") << beside;
    QTest::newRow("output-folder")
            << u"-o \"$(printf 'out\\351')\" \"$(printf 'caf\\351.xml')\""_s << 0 << QByteArray()
            << QByteArray() << QByteArray("r,a,x\r\n") << QByteArray("/out\xe9/caf\xe9.csv");
    QTest::newRow("missing-output-folder")
            << u"-o \"$(printf 'none\\351')\" ok.xml"_s << 3 << QByteArray()
            << QByteArray("/none\\xE9 cannot be used") << QByteArray() << beside;
    QTest::newRow("folder-scan") << u"."_s << 1 << QByteArray()
                                 << QByteArray("/bad\\xE9.xml\nerror:") << QByteArray("r,a,x\r\n")
                                 << beside;
    QTest::newRow("dry-run") << u"-n \"$(printf 'caf\\351.xml')\""_s << 0
                             << QByteArray("/caf\\xE9.xml\n") << QByteArray() << QByteArray()
                             << beside;
    QTest::newRow("not-well-formed")
            << u"\"$(printf 'bad\\351.xml')\""_s << 1 << QByteArray()
            << QByteArray("/bad\\xE9.xml\nerror:") << QByteArray() << beside;
    QTest::newRow("delimiter") << u"-d \"$(printf '\\351')\" ok.xml"_s << 2 << QByteArray()
                               << QByteArray("the delimiter is not valid UTF-8") << QByteArray()
                               << beside;
}

void TestCli::namesThatAreNotUtf8()
{
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QByteArray, result);
    QFETCH(QByteArray, resultName);
    const QByteArray folder = QFile::encodeName(m_folder.path());
    QCOMPARE(::mkdir(QByteArray(folder + "/out\xe9").constData(), 0755), 0);
    for (const QByteArray &name : {QByteArray("/caf\xe9.xml"), QByteArray("/bad\xe9.xml")}) {
        QFile file;
        const int descriptor
                = ::open(QByteArray(folder + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(descriptor >= 0
                && file.open(descriptor, QIODevice::WriteOnly, QFile::AutoCloseHandle));
        file.write(name.startsWith("/bad") ? malformedDocument : simpleDocument);
    }
    m_folder.writeFile(u"ok.xml"_s, simpleDocument);

    QProcess program;
    program.setWorkingDirectory(m_folder.path());
    program.start(u"/bin/sh"_s,
                  {u"-c"_s, u"exec \"$0\" "_s + arguments,
                   QStringLiteral(QUILLMERE_BIN_DIR "/quillmere-cli")});
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitCode(), status);
    const QByteArray printedOut = program.readAllStandardOutput();
    const QByteArray printedErr = program.readAllStandardError();
    QVERIFY2(out.isEmpty() ? printedOut.isEmpty() : printedOut.endsWith(out), printedOut);
    QVERIFY2(err.isEmpty() ? printedErr.isEmpty() : printedErr.contains(err), printedErr);
    // Readable means valid UTF-8 text, whatever the name's bytes.
    QVERIFY(QUtf8StringView(QByteArray(printedOut + printedErr)).isValidUtf8());

    QFile csv;
    const int descriptor = ::open(QByteArray(folder + resultName).constData(), O_RDONLY);
    QCOMPARE(descriptor >= 0, !result.isEmpty());
    if (descriptor >= 0) {
        QVERIFY(csv.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle));
        QCOMPARE(csv.readAll(), result);
    }
    // Nothing under a name with a replacement character, nor any temporary file.
    QCOMPARE(QDir(m_folder.path()).entryList({u"*\ufffd*"_s, u"*.csv?*"_s}), QStringList());
}

// A name that is not UTF-8 goes through the same output rules as any other: a link at the
// output's name is never followed nor replaced, and a NUL-separated listing gives the bytes.
void TestCli::byteNamesKeepTheOutputRules()
{
    const QByteArray folder = QFile::encodeName(m_folder.path());
    const QByteArray input = folder + "/caf\xe9.xml";
    const QByteArray link = folder + "/caf\xe9.csv";
    m_folder.writeFile(u"victim.txt"_s, "keep");
    {
        QFile file;
        const int descriptor = ::open(input.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(descriptor >= 0
                && file.open(descriptor, QIODevice::WriteOnly, QFile::AutoCloseHandle));
        file.write(simpleDocument);
    }
    QCOMPARE(::symlink("victim.txt", link.constData()), 0);

    const CliRun run = runCliInMemory({decodeNativeName(input)});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("symbolic link"), run.err);
    QCOMPARE(m_folder.readFile(u"victim.txt"_s), QByteArray("keep"));
    struct stat status { };
    QVERIFY(::lstat(link.constData(), &status) == 0 && S_ISLNK(status.st_mode));

    const CliRun listing = runCliInMemory({u"-n"_s, u"-0"_s, decodeNativeName(input)});
    QCOMPARE(listing.out, input + '\0');
}

void TestCli::parallelOutputsMatchSerial()
{
    for (int n = 0; n < 20; ++n)
        m_folder.writeFile(u"in/%1/doc%2.xml"_s.arg(n % 3).arg(n), numberedDocument(n));
    m_folder.writeFile(u"in/1/broken.xml"_s, "<list><item></list>");
    m_folder.writeFile(u"in/2/missing-root.xml"_s, "<?xml version=\"1.0\"?>");
    QVERIFY(QDir().mkpath(m_folder.path(u"serial"_s)));
    QVERIFY(QDir().mkpath(m_folder.path(u"parallel"_s)));

    const CliRun serial
            = runCliInMemory({u"-j"_s, u"1"_s, u"-d"_s, u"::"_s, u"-o"_s, u"serial"_s, u"in"_s});
    const CliRun parallel = runCliInMemory(
            {u"--jobs"_s, u"2"_s, u"-d"_s, u"::"_s, u"-o"_s, u"parallel"_s, u"in"_s});
    QCOMPARE(serial.status, 1);
    QCOMPARE(parallel.status, 1);
    QCOMPARE(parallel.err, serial.err);

    const QStringList outputs = QDir(m_folder.path(u"serial"_s)).entryList(QDir::Files, QDir::Name);
    QCOMPARE(outputs.size(), 20);
    QCOMPARE(QDir(m_folder.path(u"parallel"_s)).entryList(QDir::Files, QDir::Name), outputs);
    for (const QString &name : outputs)
        QCOMPARE(m_folder.readFile(u"parallel/"_s + name), m_folder.readFile(u"serial/"_s + name));
}

void TestCli::sameOutputKeepsLaterInput_data()
{
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("malformed"); // the folder whose same.xml is not well-formed, or -1

    QTest::newRow("serial") << 1 << -1;
    QTest::newRow("parallel") << 2 << -1;
    // Only the last input writing the output is converted: the others are never opened.
    QTest::newRow("earlierMalformed") << 2 << 0;
    QTest::newRow("parallelLastMalformed") << 2 << 11;
}

void TestCli::sameOutputKeepsLaterInput()
{
    QFETCH(int, jobs);
    QFETCH(int, malformed);
    // Many inputs share a name in different folders, interleaved with others, so that parallel
    // workers would race for the shared output if the run did not keep them in order.
    QStringList arguments{u"-j"_s, QString::number(jobs), u"-o"_s, u"out"_s};
    const int folders = 12;
    for (int n = 0; n < folders; ++n) {
        m_folder.writeFile(u"f%1/same.xml"_s.arg(n),
                           n == malformed ? malformedDocument : numberedDocument(n));
        m_folder.writeFile(u"f%1/other%1.xml"_s.arg(n), numberedDocument(n + 50));
        arguments << u"f%1"_s.arg(n);
    }
    QVERIFY(QDir().mkpath(m_folder.path(u"out"_s)));

    const CliRun result = runCliInMemory(arguments << u"-q"_s);
    const bool lastFails = malformed == folders - 1;
    QCOMPARE(result.status, lastFails ? 1 : 0);
    QCOMPARE(result.err.startsWith("Error reading "), lastFails);

    QVERIFY(QDir().mkpath(m_folder.path(u"expected"_s)));
    runCliInMemory({u"-o"_s, u"expected"_s, u"f%1/same.xml"_s.arg(folders - 1)});
    QCOMPARE(m_folder.readFile(u"out/same.csv"_s), m_folder.readFile(u"expected/same.csv"_s));

    // The first input changed since: with -u it is still not the one converted.
    const timespec later[2]{{0, UTIME_NOW}, {std::numeric_limits<int>::max(), 0}};
    QCOMPARE(::utimensat(AT_FDCWD, "f0/same.xml", later, 0), 0);
    QCOMPARE(runCliInMemory(arguments << u"-u"_s).status, lastFails ? 1 : 0);
    QCOMPARE(m_folder.readFile(u"out/same.csv"_s), m_folder.readFile(u"expected/same.csv"_s));
}

void TestCli::sameOutputThroughALink_data()
{
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<bool>("quiet");
    QTest::newRow("serial") << u"1"_s << false;
    QTest::newRow("parallel") << u"2"_s << false;
    QTest::newRow("quiet") << u"2"_s << true;
}

void TestCli::sameOutputThroughALink()
{
    QFETCH(QString, jobs);
    QFETCH(bool, quiet);
    m_folder.writeFile(u"real/x.xml"_s, numberedDocument(1));
    m_folder.writeFile(u"real/x.XML"_s, numberedDocument(2));
    QVERIFY(QFile::link(m_folder.path(u"real"_s), m_folder.path(u"alias"_s)));
    QVERIFY(QDir().mkpath(m_folder.path(u"expected"_s)));
    QCOMPARE(runCliInMemory({u"-o"_s, u"expected"_s, u"real/x.XML"_s}).status, 0);

    QStringList arguments{u"-j"_s, jobs, u"real/x.xml"_s, u"alias/x.XML"_s};
    if (quiet)
        arguments << u"-q"_s;
    const CliRun result = runCliInMemory(arguments);
    QCOMPARE(result.status, 0);
    QCOMPARE(m_folder.readFile(u"real/x.csv"_s), m_folder.readFile(u"expected/x.csv"_s));
    const QString warning = u"Warning: %1 and %2 both write %3; the result of %2 remains.\n"_s.arg(
            m_folder.path(u"real/x.xml"_s), m_folder.path(u"alias/x.XML"_s),
            m_folder.path(u"alias/x.csv"_s));
    QCOMPARE(QString::fromUtf8(result.err), quiet ? QString() : warning);
}

void TestCli::parseErrorReportedAndRunGoesOn()
{
    m_folder.writeFile(u"first.xml"_s, simpleDocument);
    m_folder.writeFile(u"bad.xml"_s, malformedDocument);
    m_folder.writeFile(u"last.xml"_s, simpleDocument);

    const CliRun result
            = runCliInMemory({u"-j"_s, u"1"_s, u"first.xml"_s, u"bad.xml"_s, u"last.xml"_s});
    QCOMPARE(result.status, 1);
    const QStringList lines = QString::fromUtf8(result.err).split(u'\n');
    QVERIFY2(lines.size() >= 5, result.err.constData());
    QCOMPARE(lines[0], u"Error reading "_s + m_folder.path(u"bad.xml"_s));
    QVERIFY(QRegularExpression(u"^error:\\S.*$"_s).match(lines[1]).hasMatch());
    QCOMPARE(lines[2], u"Line:2"_s);
    QCOMPARE(lines[3], u"position:6"_s);
    QCOMPARE(lines[4], u"1 of 3 files could not be converted."_s);
    QVERIFY(!QFile::exists(m_folder.path(u"bad.csv"_s)));
    QCOMPARE(m_folder.readFile(u"first.csv"_s), simpleOutput);
    QCOMPARE(m_folder.readFile(u"last.csv"_s), simpleOutput);
}

void TestCli::writeErrorReportedAndRunGoesOn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected"); // the start of the one line; <in> and <out> named

    QTest::newRow("plain") << u"blocked"_s << QStringList()
                           << u"Error writing <out> (from <in>): "_s;
    // A name's escape sequences and line breaks would recolour the terminal or split the line.
    QTest::newRow("controlCharacters")
            << u"b\x1b[31m\nlocked"_s << QStringList() << u"Error writing <out> (from <in>): "_s;
    QTest::newRow("gnu") << u"b\x1b[31m\nlocked"_s << QStringList{u"--error-format=gnu"_s}
                         << u"<in>: error: cannot write <out>: "_s;
}

void TestCli::writeErrorReportedAndRunGoesOn()
{
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    // A folder standing where the output file should go cannot be replaced, even by root.
    m_folder.writeFile(name + u".xml"_s, simpleDocument);
    QVERIFY(QDir().mkpath(m_folder.path(name + u".csv/inside"_s)));
    m_folder.writeFile(u"fine.xml"_s, simpleDocument);

    const CliRun result
            = runCliInMemory(options + QStringList{u"-q"_s, name + u".xml"_s, u"fine.xml"_s});
    QCOMPARE(result.status, 1);
    const auto shown = [&](const QString &file) {
        return readableName(m_folder.path(file));
    };
    expected.replace(u"<out>"_s, shown(name + u".csv"_s))
            .replace(u"<in>"_s, shown(name + u".xml"_s));
    QVERIFY2(QString::fromUtf8(result.err).startsWith(expected), result.err.constData());
    QCOMPARE(result.err.count('\n'), 1);
    QVERIFY(!result.err.contains('\x1b'));
    QVERIFY(QFileInfo(m_folder.path(name + u".csv"_s)).isDir());
    QCOMPARE(m_folder.readFile(u"fine.csv"_s), simpleOutput);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
