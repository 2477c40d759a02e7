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
    void formulasOpenAsText_data();
    void formulasOpenAsText();
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
    QTest::newRow("spreadsheet")
            << QStringList{u"--spreadsheet"_s, u"--attributes"_s}
            << QByteArray(
                       "\xEF\xBB\xBF\"r\",\"b\",\"'@id\",\"7\"\r\n\"r\",\"b\",\"x,\"\"y\"\"\"\r\n"
                       "\"r\",\"e\",\"\"\r\n");
}

void TestCliFormats::formulasOpenAsText_data()
{
    QTest::addColumn<QByteArray>("value"); // as the document holds it
    QTest::addColumn<QByteArray>("field"); // as --spreadsheet writes it

    QTest::newRow("sum") << QByteArray("=1+1") << QByteArray("\"'=1+1\"");
    QTest::newRow("link") << QByteArray("=HYPERLINK(\"http://x\")")
                          << QByteArray("\"'=HYPERLINK(\"\"http://x\"\")\"");
    QTest::newRow("plus") << QByteArray("+41 22") << QByteArray("\"'+41 22\"");
    QTest::newRow("minus") << QByteArray("-5") << QByteArray("\"'-5\"");
    QTest::newRow("at") << QByteArray("@cell") << QByteArray("\"'@cell\"");
    QTest::newRow("tab") << QByteArray("&#9;=x") << QByteArray("\"'\t=x\"");
    QTest::newRow("cr") << QByteArray("&#13;=x") << QByteArray("\"'\r=x\"");
    QTest::newRow("cdata") << QByteArray("<![CDATA[=cmd]]>")
                           << QByteArray("\"#cdata-section\",\"'=cmd\"");
    QTest::newRow("laterEquals") << QByteArray("a=b") << QByteArray("\"a=b\"");
    QTest::newRow("blankFirst") << QByteArray(" =2") << QByteArray("\" =2\"");
    QTest::newRow("zeros") << QByteArray("007") << QByteArray("\"007\"");
    QTest::newRow("long") << "=" + QByteArray(70000, 'x') << "\"'=" + QByteArray(70000, 'x') + '"';
}

// A spreadsheet opening the file shows every such value as text, never runs it.
void TestCliFormats::formulasOpenAsText()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, field);
    const CliRun result = runCliInMemory({u"--spreadsheet"_s, u"-"_s}, "<r>" + value + "</r>");
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, "\xEF\xBB\xBF\"r\"," + field + "\r\n");
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
    QTest::newRow("spreadsheetQuote") << QStringList{u"--spreadsheet"_s, u"--quote"_s};
    QTest::newRow("spreadsheetLf") << QStringList{u"--spreadsheet"_s, u"--eol=lf"_s};
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
