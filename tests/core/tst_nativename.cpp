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
