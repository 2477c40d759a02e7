#include "support/clirun.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFilesFrom : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listFile_data();
    void listFile();
    void listFromStandardInput();
    void lineBreakInNameListedWhole();
    void unreadableList();
    void nulInListOfLines_data();
    void nulInListOfLines();

private:
    CliFolder m_folder;
};

namespace {

const QByteArray document = "<r><a>x</a></r>";

} // namespace

void TestFilesFrom::init()
{
    m_folder.setUp();
}

void TestFilesFrom::cleanup()
{
    m_folder.tearDown();
}

void TestFilesFrom::listFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("list");

    QTest::newRow("lines") << QStringList() << QByteArray("b.xml\nsub\n a c.xml\n");
    QTest::newRow("crlf") << QStringList() << QByteArray("b.xml\r\nsub\r\n a c.xml");
    QTest::newRow("blankLines") << QStringList() << QByteArray("\nb.xml\n\nsub\n a c.xml\n\n");
    QTest::newRow("nul") << QStringList{u"-0"_s} << QByteArray("b.xml\0sub\0 a c.xml\0", 20);
}

// The listed paths follow those of the command line, folders searched as PATH arguments are.
void TestFilesFrom::listFile()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, list);
    for (const QString &name : {u"first.xml"_s, u"b.xml"_s, u" a c.xml"_s, u"sub/d.xml"_s})
        m_folder.writeFile(name, document);
    m_folder.writeFile(u"list"_s, list);

    const CliRun result = runCliInMemory(
            options + QStringList{u"-n"_s, u"--files-from"_s, u"list"_s, u"first.xml"_s});
    QCOMPARE(result.status, 0);
    const QStringList expected{m_folder.path(u"first.xml"_s), m_folder.path(u"b.xml"_s),
                               m_folder.path(u"sub/d.xml"_s), m_folder.path(u" a c.xml"_s)};
    const QChar separator = options.isEmpty() ? u'\n' : u'\0';
    QCOMPARE(QString::fromUtf8(result.out), expected.join(separator) + separator);
}

void TestFilesFrom::listFromStandardInput()
{
    m_folder.writeFile(u"a.xml"_s, document);
    m_folder.writeFile(u"-"_s, document);

    const CliRun result = runCliInMemory({u"--files-from"_s, u"-"_s}, "a.xml\n-\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(QFile::exists(m_folder.path(u"a.csv"_s)));
    // A listed "-" is a file of that name: standard input was the list.
    QVERIFY(QFile::exists(m_folder.path(u"-.csv"_s)));
}

void TestFilesFrom::lineBreakInNameListedWhole()
{
    m_folder.writeFile(u"two\nlines.xml"_s, document);

    const CliRun result = runCliInMemory({u"-n"_s, u"-0"_s, u"--files-from"_s, u"-"_s},
                                         QByteArray("two\nlines.xml\0", 14));
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_folder.path(u"two\nlines.xml"_s).toUtf8() + '\0');
}

void TestFilesFrom::unreadableList()
{
    m_folder.writeFile(u"a.xml"_s, document);

    const CliRun result = runCliInMemory({u"--files-from"_s, u"nolist"_s, u"a.xml"_s});
    QCOMPARE(result.status, 3);
    QVERIFY(result.err.contains("nolist"));
    QVERIFY(!QFile::exists(m_folder.path(u"a.csv"_s)));
}

void TestFilesFrom::nulInListOfLines_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("file") << u"list"_s;
    QTest::newRow("standardInput") << u"-"_s;
}

// A list made with -print0 read as lines would give one name made of them all.
void TestFilesFrom::nulInListOfLines()
{
    QFETCH(QString, list);
    const QByteArray names("a.xml\0b.xml\0", 12);
    m_folder.writeFile(u"a.xml"_s, document);
    m_folder.writeFile(u"b.xml"_s, document);
    m_folder.writeFile(u"list"_s, names);

    const CliRun result = runCliInMemory({u"--files-from"_s, list}, names);
    QCOMPARE(result.status, 2);
    const QString expected = u"quillmere-cli: the file list "_s + list
            + u" holds a NUL byte: give -0 for a NUL-separated list\n"_s;
    QVERIFY2(QString::fromUtf8(result.err).startsWith(expected), result.err);
    QVERIFY(!QFile::exists(m_folder.path(u"a.csv"_s)));
}

QTEST_GUILESS_MAIN(TestFilesFrom)
#include "tst_filesfrom.moc"
