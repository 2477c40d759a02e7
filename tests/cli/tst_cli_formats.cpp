#include "support/clirun.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The command line's output formats, error lines and folder-scan notice.
class TestCliFormats : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void outputOptions_data();
    void outputOptions();
    void optionsApplyToFolders();
    void usageErrors_data();
    void usageErrors();
    void gnuErrorFormat();
    void folderWithoutMatches();

private:
    CliFolder m_folder;
};

namespace {
const QByteArray document = "<r><b id=\"7\" xmlns:p=\"urn:p\">x,\"y\"</b><e/></r>";
}

void TestCliFormats::init()
{
    m_folder.setUp();
}

void TestCliFormats::cleanup()
{
    m_folder.tearDown();
}

void TestCliFormats::outputOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("none") << QStringList() << QByteArray("r,b,x,\"y\"\r\nr,e,\r\n");
    QTest::newRow("quote") << QStringList{u"--quote"_s}
                           << QByteArray("r,b,\"x,\"\"y\"\"\"\r\nr,e,\r\n");
    QTest::newRow("quoteAll") << QStringList{u"--quote=all"_s, u"--eol"_s, u"lf"_s}
                              << QByteArray("\"r\",\"b\",\"x,\"\"y\"\"\"\n\"r\",\"e\",\"\"\n");
    QTest::newRow("bom") << QStringList{u"--bom"_s}
                         << QByteArray("\xEF\xBB\xBFr,b,x,\"y\"\r\nr,e,\r\n");
    QTest::newRow("eolCrlf") << QStringList{u"--eol=crlf"_s}
                             << QByteArray("r,b,x,\"y\"\r\nr,e,\r\n");
    QTest::newRow("attributes") << QStringList{u"--attributes"_s, u"-d"_s, u";"_s}
                                << QByteArray("r;b;@id;7\r\nr;b;x,\"y\"\r\nr;e;\r\n");
    QTest::newRow("together") << QStringList{u"--attributes"_s, u"--quote"_s, u"--bom"_s,
                                             u"--eol"_s, u"lf"_s}
                              << QByteArray("\xEF\xBB\xBFr,b,@id,7\nr,b,\"x,\"\"y\"\"\"\nr,e,\n");
}

void TestCliFormats::outputOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    const CliRun piped = runCliInMemory(QStringList(options) << u"-"_s, document);
    QCOMPARE(piped.err, QByteArray());
    QCOMPARE(piped.out, expected);

    m_folder.writeFile(u"in.xml"_s, document);
    const CliRun toStdout = runCliInMemory(QStringList(options) << u"--stdout"_s << u"in.xml"_s);
    QCOMPARE(toStdout.out, expected);
}

void TestCliFormats::optionsApplyToFolders()
{
    m_folder.writeFile(u"tree/sub/in.xml"_s, document);
    const CliRun result
            = runCliInMemory({u"--quote"_s, u"--attributes"_s, u"--eol"_s, u"lf"_s, u"tree"_s});
    QCOMPARE(result.status, 0);
    QCOMPARE(m_folder.readFile(u"tree/sub/in.csv"_s),
             QByteArray("r,b,@id,7\nr,b,\"x,\"\"y\"\"\"\nr,e,\n"));
}

void TestCliFormats::usageErrors_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("eolUnknown") << QStringList{u"--eol"_s, u"cr"_s};
    QTest::newRow("quoteUnknown") << QStringList{u"--quote=some"_s};
    QTest::newRow("errorFormatUnknown") << QStringList{u"--error-format=xml"_s};
}

void TestCliFormats::usageErrors()
{
    QFETCH(QStringList, options);
    m_folder.writeFile(u"in.xml"_s, document);
    const CliRun result = runCliInMemory(options << u"in.xml"_s);
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.startsWith("quillmere-cli: "));
    QCOMPARE(m_folder.readFile(u"in.csv"_s), QByteArray("<missing>"));
}

void TestCliFormats::gnuErrorFormat()
{
    m_folder.writeFile(u"bad.xml"_s, "<r>\n<a></b>\n</r>");
    m_folder.writeFile(u"good.xml"_s, document);
    const CliRun result = runCliInMemory(
            {u"--error-format=gnu"_s, u"-q"_s, u"bad.xml"_s, u"good.xml"_s, u"-"_s}, "<r>");
    QCOMPARE(result.status, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             m_folder.path(u"bad.xml"_s) + u":2:6: error: mismatched tag\n"_s
                     + u"-:1:4: error: no element found\n"_s);
}

void TestCliFormats::folderWithoutMatches()
{
    m_folder.writeFile(u"tree/notes.txt"_s, document);
    m_folder.writeFile(u"in.xml"_s, document);
    // A mistyped extension gives what a machine without the share sees: nothing is converted.
    const CliRun result = runCliInMemory({u"-e"_s, u"xlm"_s, u"tree"_s, u"in.xml"_s});
    QCOMPARE(result.status, 3);
    QCOMPARE(QString::fromUtf8(result.err),
             u"quillmere-cli: no file matches *.xlm in "_s + m_folder.path(u"tree"_s) + u'\n');
    QVERIFY(!QFile::exists(m_folder.path(u"in.csv"_s)));
}

QTEST_GUILESS_MAIN(TestCliFormats)
#include "tst_cli_formats.moc"
