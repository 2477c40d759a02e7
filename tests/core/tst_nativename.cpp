#include "core/nativename.h"

#include <QTest>

class TestNativeName : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
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

QTEST_GUILESS_MAIN(TestNativeName)
#include "tst_nativename.moc"
