#include "cli/runcli.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

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

private:
    struct Run {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    Run run(QStringList arguments, const QByteArray &input = {});
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    void writeFile(const QString &relative, const QByteArray &content) const;

    std::optional<QTemporaryDir> m_dir;
    QString m_previousCurrent;
};

namespace {

const QByteArray document = "<r><a>x</a></r>";

} // namespace

void TestFilesFrom::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestFilesFrom::cleanup()
{
    QDir::setCurrent(m_previousCurrent);
    m_dir.reset();
}

TestFilesFrom::Run TestFilesFrom::run(QStringList arguments, const QByteArray &input)
{
    arguments.prepend(u"quillmere-cli"_s);
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    Run result;
    result.status = runCli(arguments, in, out, err);
    result.out = out.data();
    result.err = err.data();
    return result;
}

void TestFilesFrom::writeFile(const QString &relative, const QByteArray &content) const
{
    QVERIFY(QDir().mkpath(QFileInfo(path(relative)).absolutePath()));
    QFile file(path(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
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
        writeFile(name, document);
    writeFile(u"list"_s, list);

    const Run result
            = run(options + QStringList{u"-n"_s, u"--files-from"_s, u"list"_s, u"first.xml"_s});
    QCOMPARE(result.status, 0);
    const QStringList expected{path(u"first.xml"_s), path(u"b.xml"_s), path(u"sub/d.xml"_s),
                               path(u" a c.xml"_s)};
    const QChar separator = options.isEmpty() ? u'\n' : u'\0';
    QCOMPARE(QString::fromUtf8(result.out), expected.join(separator) + separator);
}

void TestFilesFrom::listFromStandardInput()
{
    writeFile(u"a.xml"_s, document);
    writeFile(u"-"_s, document);

    const Run result = run({u"--files-from"_s, u"-"_s}, "a.xml\n-\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(QFile::exists(path(u"a.csv"_s)));
    // A listed "-" is a file of that name: standard input was the list.
    QVERIFY(QFile::exists(path(u"-.csv"_s)));
}

void TestFilesFrom::lineBreakInNameListedWhole()
{
    writeFile(u"two\nlines.xml"_s, document);

    const Run result = run({u"-n"_s, u"-0"_s, u"--files-from"_s, u"-"_s},
                           QByteArray("two\nlines.xml\0", 14));
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, path(u"two\nlines.xml"_s).toUtf8() + '\0');
}

void TestFilesFrom::unreadableList()
{
    writeFile(u"a.xml"_s, document);

    const Run result = run({u"--files-from"_s, u"nolist"_s, u"a.xml"_s});
    QCOMPARE(result.status, 1);
    QVERIFY(result.err.contains("nolist"));
    QVERIFY(!QFile::exists(path(u"a.csv"_s)));
}

QTEST_GUILESS_MAIN(TestFilesFrom)
#include "tst_filesfrom.moc"
