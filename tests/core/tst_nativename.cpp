#include "core/filename.h"
#include "core/nativename.h"

#include <QTest>

class TestNativeName : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void displayForm_data();
    void displayForm();
};

void TestNativeName::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readable");

    QTest::newRow("ascii") << QByteArray("a.xml") << QStringLiteral("a.xml");
    QTest::newRow("utf8") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9");
    QTest::newRow("astral") << QByteArray("\xf0\x9f\x98\x80") << QStringLiteral("\U0001F600");
    QTest::newRow("latin1") << QByteArray("caf\xe9.xml") << QStringLiteral("caf\\xE9.xml");
    QTest::newRow("cut-short") << QByteArray("a\xe2\x82") << QStringLiteral("a\\xE2\\x82");
    QTest::newRow("overlong") << QByteArray("\xc0\xaf") << QStringLiteral("\\xC0\\xAF");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("\\xED\\xA0\\x80");
    QTest::newRow("mixed") << QByteArray("\xff\xc3\xa9\x80z")
                           << QStringLiteral("\\xFF\u00e9\\x80z");
    QTest::newRow("strayThenThreeBytes")
            << QByteArray("\xff\xe6\xbc\xa2.xml") << QStringLiteral("\\xFF\u6f22.xml");
    QTest::newRow("cutThenThreeBytes")
            << QByteArray("\xe2\xe6\xbc\xa2") << QStringLiteral("\\xE2\u6f22");
    // U+1F4A9 is written with the low surrogate U+DCA9, inside the range of stray bytes.
    QTest::newRow("astralInStrayRange")
            << QByteArray("\xf0\x9f\x92\xa9.xml") << QStringLiteral("\U0001F4A9.xml");
    QTest::newRow("strayAfterAstral")
            << QByteArray("\xf0\x9f\x92\xa9\xa9") << QStringLiteral("\U0001F4A9\\xA9");
}

void TestNativeName::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readable);
    const QString name = decodeNativeName(bytes);
    QCOMPARE(encodeNativeName(name), bytes);
    QCOMPARE(readableName(name), readable);
    QCOMPARE(hasStrayBytes(name), readable != name);
    // Text that came from valid UTF-8 keeps its usual bytes.
    QCOMPARE(encodeNativeName(readable), readable.toUtf8());
}

void TestNativeName::displayForm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("display");

    QTest::newRow("plain") << QByteArray("/data/a b.xml") << QStringLiteral("/data/a b.xml");
    QTest::newRow("escape") << QByteArray("a\x1b[31m.xml") << QStringLiteral("a\\x1B[31m.xml");
    QTest::newRow("line-ends") << QByteArray("a\r\nb\tc") << QStringLiteral("a\\x0D\\x0Ab\\x09c");
    QTest::newRow("delete") << QByteArray("a\x7f") << QStringLiteral("a\\x7F");
    QTest::newRow("c1-control") << QByteArray("a\xc2\x85") << QStringLiteral("a\\xC2\\x85");
    QTest::newRow("no-break-space") << QByteArray("a\xc2\xa0") << QStringLiteral("a\u00a0");
    QTest::newRow("stray-and-control") << QByteArray("\xff\n") << QStringLiteral("\\xFF\\x0A");
}

// A name keeps its bytes through its text form; what a person reads cannot move the cursor.
void TestNativeName::displayForm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, display);
    const FileName name = FileName::fromBytes(bytes);
    QCOMPARE(name.bytes(), bytes);
    QCOMPARE(FileName::fromPath(name.path()), name);
    QCOMPARE(name.display(), display);
}

QTEST_GUILESS_MAIN(TestNativeName)
#include "tst_nativename.moc"
