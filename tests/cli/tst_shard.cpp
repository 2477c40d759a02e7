#include "batch/outputidentity.h"
#include "batch/shard.h"
#include "support/clirun.h"

#include <QDir>
#include <QSet>
#include <QTest>

#include <optional>

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
}

void TestShard::sameOutputSamePart()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, listed);
    m_folder.writeFile(u"one/x.xml"_s, "<r>1</r>");
    m_folder.writeFile(u"two/x.xml"_s, "<r>2</r>");
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

void TestShard::standardOutputRefused()
{
    m_folder.writeFile(u"a.xml"_s, "<r/>");
    QCOMPARE(runCliInMemory({u"--shard"_s, u"1/2"_s, u"--stdout"_s, u"a.xml"_s}).status, 2);
    QCOMPARE(runCliInMemory({u"--shard"_s, u"1/2"_s, u"-"_s}).status, 2);
}

QTEST_GUILESS_MAIN(TestShard)
#include "tst_shard.moc"
