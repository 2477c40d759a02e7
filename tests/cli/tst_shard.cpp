#include "batch/outputidentity.h"
#include "batch/shard.h"
#include "support/clirun.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <functional>
#include <optional>

#include <unistd.h>

using namespace Qt::StringLiterals;

class TestShard : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void identity_data();
    void identity();
    void parse_data();
    void parse();
    void partIsStable();
    void partsConvertEveryFileOnce();
    void sameOutputSamePart_data();
    void sameOutputSamePart();
    void laterInputWinsInPart();
    void everyPartSaysItCannotWork_data();
    void everyPartSaysItCannotWork();
    void samePartHoweverReached_data();
    void samePartHoweverReached();
    void standardOutputRefused();

private:
    QStringList dryRun(const QStringList &arguments);

    CliFolder m_folder;
};

void TestShard::init()
{
    m_folder.setUp();
    // The temporary folder itself may lie behind a link (/tmp on some systems).
    QVERIFY(QDir::setCurrent(QDir::current().canonicalPath()));
}

void TestShard::cleanup()
{
    m_folder.tearDown();
}

QStringList TestShard::dryRun(const QStringList &arguments)
{
    const CliRun result = runCliInMemory(QStringList{u"-n"_s} + arguments);
    if (result.status != 0)
        return {u"<status %1>"_s.arg(result.status)};
    return QString::fromUtf8(result.out).split(u'\n', Qt::SkipEmptyParts);
}

void TestShard::identity_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << u"real/a.csv"_s << u"real/a.csv"_s;
    QTest::newRow("linkedFolder") << u"link/a.csv"_s << u"real/a.csv"_s;
    QTest::newRow("dotDot") << u"real/sub/../a.csv"_s << u"real/a.csv"_s;
    QTest::newRow("linkThenDotDot") << u"link/sub/../a.csv"_s << u"real/a.csv"_s;
    QTest::newRow("linkedNameKept") << u"real/named.csv"_s << u"real/named.csv"_s;
    QTest::newRow("missingFolder") << u"none/../x.csv"_s << u"@none/../x.csv"_s;
}

void TestShard::identity()
{
    QFETCH(QString, output);
    QFETCH(QString, expected);
    QVERIFY(QDir().mkpath(m_folder.path(u"real/sub"_s)));
    QVERIFY(QFile::link(m_folder.path(u"real"_s), m_folder.path(u"link"_s)));
    QVERIFY(QFile::link(m_folder.path(u"real/a.csv"_s), m_folder.path(u"real/named.csv"_s)));

    // "@" marks a path expected exactly as given.
    const QString wanted
            = expected.startsWith(u'@') ? m_folder.path(expected.mid(1)) : m_folder.path(expected);
    QCOMPARE(outputIdentity(m_folder.path(output)), wanted);
}

void TestShard::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");

    QTest::newRow("one") << u"1/1"_s << 1 << 1;
    QTest::newRow("last") << u"8/8"_s << 8 << 8;
    QTest::newRow("middle") << u"3/12"_s << 3 << 12;
    QTest::newRow("zeroIndex") << u"0/3"_s << 0 << 0;
    QTest::newRow("pastCount") << u"4/3"_s << 0 << 0;
    QTest::newRow("negative") << u"-1/2"_s << 0 << 0;
    QTest::newRow("words") << u"a/b"_s << 0 << 0;
    QTest::newRow("blank") << u" 1/2"_s << 0 << 0;
    QTest::newRow("huge") << u"1/99999999999"_s << 0 << 0;
}

void TestShard::parse()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, count);

    const std::optional<Shard> shard = parseShard(text);
    QCOMPARE(shard.has_value(), count > 0);
    if (shard) {
        QCOMPARE(shard->index, index);
        QCOMPARE(shard->count, count);
    }
    if (!shard)
        QCOMPARE(runCliInMemory({u"--shard"_s, text, u"a.xml"_s}).status, 2);
}

// Nodes of a cluster must agree on the parts without talking to each other.
void TestShard::partIsStable()
{
    QCOMPARE(shardOf(u"/data/out/orders.csv"_s, 8), 6);
    QCOMPARE(shardOf(u"/data/out/orders2.csv"_s, 1000), 14);
}

void TestShard::partsConvertEveryFileOnce()
{
    for (int i = 0; i < 40; ++i)
        m_folder.writeFile(u"tree/d%1/f%2.xml"_s.arg(i % 5).arg(i), "<r><a>x</a></r>");

    const QStringList whole = dryRun({u"tree"_s});
    QStringList joined;
    for (int k = 1; k <= 3; ++k) {
        const QStringList part = dryRun({u"--shard"_s, u"%1/3"_s.arg(k), u"tree"_s});
        QVERIFY(!part.isEmpty());
        joined += part;
    }
    QCOMPARE(joined.size(), 40);
    QCOMPARE(QSet<QString>(joined.begin(), joined.end()),
             QSet<QString>(whole.begin(), whole.end()));
}

void TestShard::sameOutputSamePart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("listed"); // inputs named, all writing one output

    QTest::newRow("outputFolder") << QStringList{u"-o"_s, u"out"_s, u"one/x.xml"_s, u"two/x.xml"_s}
                                  << 2;
    QTest::newRow("linkedFolder") << QStringList{u"one/x.xml"_s, u"link/x.xml"_s} << 2;
    // Below each named folder the one output has another path: in/x.csv, then x.csv.
    QTest::newRow("nestedFolders") << QStringList{u"nest"_s, u"nest/in"_s} << 2;
}

void TestShard::sameOutputSamePart()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, listed);
    m_folder.writeFile(u"one/x.xml"_s, "<r>1</r>");
    m_folder.writeFile(u"two/x.xml"_s, "<r>2</r>");
    m_folder.writeFile(u"nest/in/x.xml"_s, "<r>3</r>");
    QVERIFY(QDir().mkpath(m_folder.path(u"out"_s)));
    QVERIFY(QFile::link(m_folder.path(u"one"_s), m_folder.path(u"link"_s)));

    // With many parts, outputs told apart by their spelling would rarely share one.
    int total = 0;
    for (int k = 1; k <= 16; ++k) {
        const int inPart
                = int(dryRun(QStringList{u"--shard"_s, u"%1/16"_s.arg(k)} + arguments).size());
        QVERIFY2(inPart == 0 || inPart == listed, qPrintable(u"part %1"_s.arg(k)));
        total += inPart;
    }
    QCOMPARE(total, listed);
}

void TestShard::laterInputWinsInPart()
{
    m_folder.writeFile(u"one/x.xml"_s, "<r>1</r>");
    m_folder.writeFile(u"two/x.xml"_s, "<r>2</r>");
    QVERIFY(QDir().mkpath(m_folder.path(u"out"_s)));

    for (int k = 1; k <= 2; ++k)
        QCOMPARE(runCliInMemory({u"--shard"_s, u"%1/2"_s.arg(k), u"-o"_s, u"out"_s, u"one/x.xml"_s,
                                 u"two/x.xml"_s})
                         .status,
                 0);
    QCOMPARE(m_folder.readFile(u"out/x.csv"_s), QByteArray("r,2\r\n"));
}

void TestShard::everyPartSaysItCannotWork_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("missingFolder") << QStringList{u"tree"_s, u"none"_s};
    QTest::newRow("emptyFolder") << QStringList{u"tree"_s, u"empty"_s};
    QTest::newRow("missingOutputFolder") << QStringList{u"-o"_s, u"none"_s, u"tree"_s};
    QTest::newRow("missingList") << QStringList{u"--files-from"_s, u"none"_s};
}

// A node where the share is not mounted fails each of its parts with status 3, also a part
// that would have had no file, so that a scheduler runs it elsewhere.
void TestShard::everyPartSaysItCannotWork()
{
    QFETCH(QStringList, arguments);
    m_folder.writeFile(u"tree/a.xml"_s, "<r/>");
    QVERIFY(QDir().mkpath(m_folder.path(u"empty"_s)));
    for (int k = 1; k <= 3; ++k) {
        const CliRun run = runCliInMemory(QStringList{u"--shard"_s, u"%1/3"_s.arg(k)} + arguments);
        QCOMPARE(run.status, 3);
    }
    QVERIFY(!QFile::exists(m_folder.path(u"tree/a.csv"_s)));
}

void TestShard::samePartHoweverReached_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("beside"); // results beside the inputs, or with -o
    for (const char *way : {"link", "bindMount", "otherPlace"}) {
        QTest::addRow("%sFolder", way) << QString::fromLatin1(way) << false;
        QTest::addRow("%sBeside", way) << QString::fromLatin1(way) << true;
    }
}

// Machines that mount the shared folder in different places (or reach it through a link)
// must agree on every part, or some files would be converted twice and others never.
void TestShard::samePartHoweverReached()
{
    QFETCH(QString, way);
    QFETCH(bool, beside);
    for (int i = 0; i < 24; ++i)
        m_folder.writeFile(u"data/tree/d%1/f%2.xml"_s.arg(i % 4).arg(i % 9), "<r/>");
    QVERIFY(QDir().mkpath(m_folder.path(u"data/out"_s)));
    std::optional<QScopeGuard<std::function<void()>>> unmount;
    if (way == u"link"_s) {
        QVERIFY(QFile::link(m_folder.path(u"data"_s), m_folder.path(u"other"_s)));
    } else if (way == u"otherPlace"_s) {
        QCOMPARE(QProcess::execute(u"cp"_s, {u"-a"_s, u"data"_s, u"other"_s}), 0);
    } else {
        if (::geteuid() != 0)
            QSKIP("Only root can bind-mount a folder");
        QVERIFY(QDir().mkpath(m_folder.path(u"other"_s)));
        QCOMPARE(QProcess::execute(u"mount"_s, {u"--bind"_s, u"data"_s, u"other"_s}), 0);
        unmount.emplace([this] {
            QProcess::execute(u"umount"_s, {u"--lazy"_s, m_folder.path(u"other"_s)});
        });
    }

    const auto parts = [&](const QString &root) {
        QList<QStringList> listed;
        for (int k = 1; k <= 5; ++k) {
            QStringList arguments{u"--shard"_s, u"%1/5"_s.arg(k)};
            if (!beside)
                arguments << u"-o"_s << root + u"/out"_s;
            QStringList part;
            for (const QString &file : dryRun(arguments << root + u"/tree"_s))
                part.append(file.mid(m_folder.path(root).size()));
            listed.append(part);
        }
        return listed;
    };
    QCOMPARE(parts(u"other"_s), parts(u"data"_s));
}

void TestShard::standardOutputRefused()
{
    m_folder.writeFile(u"a.xml"_s, "<r/>");
    QCOMPARE(runCliInMemory({u"--shard"_s, u"1/2"_s, u"--stdout"_s, u"a.xml"_s}).status, 2);
    QCOMPARE(runCliInMemory({u"--shard"_s, u"1/2"_s, u"-"_s}).status, 2);
}

QTEST_GUILESS_MAIN(TestShard)
#include "tst_shard.moc"
