#include "flattentesting.h"

#include "conversion/csvformat.h"

#include <QTest>

Q_DECLARE_METATYPE(CsvFormat)

// The output options: quoting, byte-order mark, line ends and attribute lines.
class TestCsvFormat : public QObject {
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void longValuesQuotedInPieces_data();
    void longValuesQuotedInPieces();
};

namespace {

CsvFormat format(const QString &delimiter, CsvFormat::Quoting quoting, bool attributes)
{
    CsvFormat format;
    format.delimiter = delimiter;
    format.quoting = quoting;
    format.attributes = attributes;
    format.crlf = false;
    return format;
}

} // namespace

void TestCsvFormat::options_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<CsvFormat>("format");
    QTest::addColumn<QByteArray>("expected");
    using Q = CsvFormat::Quoting;

    QTest::newRow("plainUnquoted") << QByteArray("<r><a>x,\"y</a></r>")
                                   << format(u","_qs, Q::None, false) << QByteArray("r,a,x,\"y\n");
    QTest::newRow("valueDelimiter")
            << QByteArray("<r><a>x,y</a></r>") << format(u","_qs, Q::Needed, false)
            << QByteArray("r,a,\"x,y\"\n");
    QTest::newRow("valueQuote") << QByteArray("<r><a>say \"hi\"</a></r>")
                                << format(u","_qs, Q::Needed, false)
                                << QByteArray("r,a,\"say \"\"hi\"\"\"\n");
    QTest::newRow("valueLineFeed")
            << QByteArray("<r><a>1\n2</a></r>") << format(u";"_qs, Q::Needed, false)
            << QByteArray("r;a;\"1\n2\"\n");
    QTest::newRow("valueCarriageReturn")
            << QByteArray("<r><a>1&#13;2</a></r>") << format(u";"_qs, Q::Needed, false)
            << QByteArray("r;a;\"1\r2\"\n");
    QTest::newRow("nameDelimiter")
            << QByteArray("<r><a-b><c>1</c></a-b><e>2</e></r>") << format(u"-"_qs, Q::Needed, false)
            << QByteArray("r-\"a-b\"-c-1\nr-e-2\n");
    // A reader that splits at either character of a longer delimiter reads the same fields.
    QTest::newRow("multiCharDelimiter") << QByteArray("<r><a>x::y</a><b>x:y</b><c>x;y</c></r>")
                                        << format(u"::"_qs, Q::Needed, false)
                                        << QByteArray("r::a::\"x::y\"\nr::b::\"x:y\"\nr::c::x;y\n");
    QTest::newRow("commaSpaceDelimiter") << QByteArray("<r><a>a,b</a><b>a b</b><c>ab</c></r>")
                                         << format(u", "_qs, Q::Needed, false)
                                         << QByteArray("r, a, \"a,b\"\nr, b, \"a b\"\nr, c, ab\n");
    QTest::newRow("nameHoldsDelimiterCharacter")
            << QByteArray("<r><a-b>1</a-b></r>") << format(u"-|"_qs, Q::Needed, false)
            << QByteArray("r-|\"a-b\"-|1\n");
    // Only a whole character of the delimiter counts, not a byte it shares with another.
    QTest::newRow("multiByteDelimiterCharacter")
            << QByteArray("<r><a>x\xe2\x86\x92y</a><b>x\xe2\x86\x93y</b></r>")
            << format(u"\u2192;"_qs, Q::Needed, false)
            << QByteArray("r\xe2\x86\x92;a\xe2\x86\x92;\"x\xe2\x86\x92y\"\n"
                          "r\xe2\x86\x92;b\xe2\x86\x92;x\xe2\x86\x93y\n");
    QTest::newRow("removedReferenceMakesDelimiter")
            << QByteArray("<r>a&amp;#13;b</r>") << format(u"ab"_qs, Q::Needed, false)
            << QByteArray("rab\"ab\"\n");
    QTest::newRow("cdataAndComment")
            << QByteArray("<r><![CDATA[a,b]]><!--c\"d--><?p x,y?></r>")
            << format(u","_qs, Q::Needed, false)
            << QByteArray("r,#cdata-section,\"a,b\"\nr,#comment,\"c\"\"d\"\n"
                          "r,p,\"x,y\"\n");
    QTest::newRow("quoteAll") << QByteArray("<r><a>1</a><b/></r>") << format(u","_qs, Q::All, false)
                              << QByteArray("\"r\",\"a\",\"1\"\n\"r\",\"b\",\"\"\n");
    QTest::newRow("attributes")
            << QByteArray("<r v='1'><b id='7' p:x='a' xmlns:p='urn:p'>t</b><e k=''/></r>")
            << format(u","_qs, Q::None, true)
            << QByteArray("r,@v,1\nr,b,@id,7\nr,b,@p:x,a\nr,b,t\nr,e,@k,\nr,e,\n");
    QTest::newRow("attributeNameHoldsDelimiter")
            << QByteArray("<r><e p:x='1' xmlns:p='urn:p'/></r>") << format(u":"_qs, Q::Needed, true)
            << QByteArray("r:e:\"@p:x\":1\nr:e:\n");
    QTest::newRow("attributesQuoted")
            << QByteArray("<r a='x,y' b='&quot;'/>") << format(u","_qs, Q::Needed, true)
            << QByteArray("r,@a,\"x,y\"\nr,@b,\"\"\"\"\n");
    QTest::newRow("noAttributesByDefault")
            << QByteArray("<r a='1'><b c='2'/></r>") << format(u","_qs, Q::None, false)
            << QByteArray("r,b,\n");

    CsvFormat bom;
    bom.byteOrderMark = true;
    QTest::newRow("byteOrderMarkAndCrLf")
            << QByteArray("<r>v</r>") << bom << QByteArray("\xEF\xBB\xBFr,v\r\n");
}

void TestCsvFormat::options()
{
    QFETCH(QByteArray, xml);
    QFETCH(CsvFormat, format);
    QFETCH(QByteArray, expected);
    const Flattened flattened = flattenBytes(xml, format);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, expected);
    QCOMPARE(flattenTrickled(xml, format).output, expected);
}

void TestCsvFormat::longValuesQuotedInPieces_data()
{
    QTest::addColumn<QByteArray>("open");
    QTest::addColumn<QByteArray>("close");
    QTest::addColumn<QByteArray>("expectedOpen");
    QTest::addColumn<QByteArray>("expectedClose");
    QTest::newRow("text") << QByteArray("<r>") << QByteArray("\"&amp;#13;</r>")
                          << QByteArray("r,\"") << QByteArray("\"\"\"\r\n");
    QTest::newRow("cdata") << QByteArray("<r><![CDATA[") << QByteArray("\"&#13;]]></r>")
                           << QByteArray("r,#cdata-section,\"") << QByteArray("\"\"&#13;\"\r\n");
}

// A value too long to hold before writing is quoted whatever it holds; a reader reads the same.
void TestCsvFormat::longValuesQuotedInPieces()
{
    QFETCH(QByteArray, open);
    QFETCH(QByteArray, close);
    QFETCH(QByteArray, expectedOpen);
    QFETCH(QByteArray, expectedClose);
    const QByteArray longValue(3 << 20, 'x');
    CsvFormat format;
    format.quoting = CsvFormat::Quoting::Needed;
    const Flattened flattened = flattenBytes(open + longValue + close, format);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, expectedOpen + longValue + expectedClose);
}

QTEST_GUILESS_MAIN(TestCsvFormat)
#include "tst_csvformat.moc"
