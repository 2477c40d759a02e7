#include "flattentesting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Documents that try to make the converter read other files, run out of memory or time, or
// overflow its stack.
class TestFlattenSafety : public QObject {
    Q_OBJECT

private slots:
    void init();
    void entityExpansionIsBounded_data();
    void entityExpansionIsBounded();
    void externalFilesAreNeverRead_data();
    void externalFilesAreNeverRead();
    void deepNesting();
    void internalParameterEntities_data();
    void internalParameterEntities();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_secretUrl;
    QString m_dtdUrl;
};

void TestFlattenSafety::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QFile secret(m_folder->filePath(u"secret.txt"_qs));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("SECRET");
    secret.close();
    QFile dtd(m_folder->filePath(u"entities.dtd"_qs));
    QVERIFY(dtd.open(QIODevice::WriteOnly));
    dtd.write("<!ENTITY e 'SECRET'>");
    dtd.close();
    m_secretUrl = QUrl::fromLocalFile(secret.fileName()).toString();
    m_dtdUrl = QUrl::fromLocalFile(dtd.fileName()).toString();
}

void TestFlattenSafety::entityExpansionIsBounded_data()
{
    QTest::addColumn<QByteArray>("xml");

    QByteArray laughs = "<!DOCTYPE lolz [<!ENTITY lol0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + QByteArray::number(i) + " '";
        for (int j = 0; j < 10; ++j)
            laughs += "&lol" + QByteArray::number(i - 1) + ";";
        laughs += "'>";
    }
    QTest::newRow("billionLaughs") << laughs + "]><lolz>&lol9;</lolz>";

    // One large entity referenced many times: no nesting, but quadratic output.
    QByteArray blowup = "<!DOCTYPE r [<!ENTITY a '" + QByteArray(50000, 'x') + "'>]><r>";
    for (int i = 0; i < 50000; ++i)
        blowup += "&a;";
    QTest::newRow("quadraticBlowup") << blowup + "</r>";

    QByteArray parameterBlowup
            = "<!DOCTYPE r [<!ENTITY % c '<!--" + QByteArray(50000, 'x') + "-->'>";
    for (int i = 0; i < 50000; ++i)
        parameterBlowup += "%c;";
    QTest::newRow("parameterBlowup") << parameterBlowup + "]><r/>";
}

void TestFlattenSafety::entityExpansionIsBounded()
{
    QFETCH(QByteArray, xml);
    const Flattened flattened = flattenBytes(xml, u","_qs);
    QCOMPARE(flattened.result.status, ConversionResult::Status::LoadFailed);
    QVERIFY2(flattened.result.reason.contains(u"amplification"_qs),
             qPrintable(flattened.result.reason));
}

void TestFlattenSafety::externalFilesAreNeverRead_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("reason");

    QTest::newRow("externalEntity")
            << u"<!DOCTYPE r [<!ENTITY x SYSTEM '%1'>]>\n<r>a&x;</r>"_qs.arg(m_secretUrl)
            << u"external entity \"%1\" is not read"_qs.arg(m_secretUrl);
    QTest::newRow("externalDtd") << u"<!DOCTYPE r SYSTEM '%1'>\n<r>a&e;</r>"_qs.arg(m_dtdUrl)
                                 << u"undefined entity \"e\" (declarations outside the document "
                                    "are not read)"_qs;
    QTest::newRow("parameterEntity")
            << u"<!DOCTYPE r [<!ENTITY % p SYSTEM '%1'> %p;]>\n<r>a&e;</r>"_qs.arg(m_dtdUrl)
            << u"undefined entity \"e\" (declarations outside the document are not read)"_qs;
}

void TestFlattenSafety::externalFilesAreNeverRead()
{
    QFETCH(QString, xml);
    QFETCH(QString, reason);
    const Flattened flattened = flattenBytes(xml.toUtf8(), u","_qs);
    QCOMPARE(flattened.result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(flattened.result.reason, reason);
    QCOMPARE(flattened.result.line, 2);
    QCOMPARE(flattened.result.column, 5);
    QVERIFY(!flattened.output.contains("SECRET"));
}

void TestFlattenSafety::deepNesting()
{
    const int depth = 100000;
    QByteArray xml;
    xml.reserve(depth * 8);
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    xml += "v<b/>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    const Flattened flattened = flattenBytes(xml, u","_qs);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QByteArray path = "a";
    for (int i = 1; i < depth; ++i)
        path += ",a";
    QCOMPARE(flattened.output, path + ",v\r\n" + path + ",b,\r\n");
}

void TestFlattenSafety::internalParameterEntities_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("line");

    QTest::newRow("declares") << u"<!DOCTYPE r [<!ENTITY % p \"<!ENTITY z 'a'>\"> %p; "
                                 "<!ENTITY y \"ok\">]><r>&y;&z;</r>"_qs
                              << u"r,oka"_qs;
    // The external subset is declined; the internal one still counts.
    QTest::newRow("besideExternalDtd")
            << u"<!DOCTYPE r SYSTEM '%1' [<!ENTITY % p \"<!ENTITY y 'ok'>\"> %p;]><r>&y;</r>"_qs
                       .arg(m_dtdUrl)
            << u"r,ok"_qs;
}

void TestFlattenSafety::internalParameterEntities()
{
    QFETCH(QString, xml);
    QFETCH(QString, line);
    const Flattened flattened = flattenBytes(xml.toUtf8(), u","_qs);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines({line}));
}

QTEST_GUILESS_MAIN(TestFlattenSafety)
#include "tst_flatten_safety.moc"
