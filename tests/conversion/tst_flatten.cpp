#include "flattentesting.h"
#include "support/faildevice.h"

#include "conversion/flatten.h"

#include <QBuffer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <functional>

class TestFlatten : public QObject {
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void nodeModel_data();
    void nodeModel();
    void delimiterInNames_data();
    void delimiterInNames();
    void notWellFormed_data();
    void notWellFormed();
    void parseOnlyChecksWellFormedness();
    void writeFailsAfterSomeBytes_data();
    void writeFailsAfterSomeBytes();
    void cancelStopsTheParse_data();
    void cancelStopsTheParse();
    void unreadableInput();
    void trickledInputGivesTheSameLines();
};

namespace {

const QByteArray catalog = R"(<?xml version="1.0"?>
<catalog>
  <book id="1">
    <title>XML Basics</title>
    <price>9.50</price>
    <note/>
  </book>
  <book id="2">
    <title>Advanced</title>
    <!--old-->
  </book>
</catalog>
)";

// A record file large enough to take many reads and several output buffers.
QByteArray records(int count)
{
    QByteArray xml = "<records>\n";
    for (int i = 0; i < count; ++i)
        xml += "  <record><id>" + QByteArray::number(i) + "</id><name>item</name></record>\n";
    return xml + "</records>\n";
}

} // namespace

void TestFlatten::workedExample_data()
{
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("comma") << u","_qs
                           << QStringList{u"catalog,book,title,XML Basics"_qs,
                                          u"catalog,book,price,9.50"_qs, u"catalog,book,note,"_qs,
                                          u"catalog,book,title,Advanced"_qs,
                                          u"catalog,book,#comment,old"_qs};
    QTest::newRow("semicolon") << u";"_qs
                               << QStringList{u"catalog;book;title;XML Basics"_qs,
                                              u"catalog;book;price;9.50"_qs,
                                              u"catalog;book;note;"_qs,
                                              u"catalog;book;title;Advanced"_qs,
                                              u"catalog;book;#comment;old"_qs};
    QTest::newRow("comma-space") << u", "_qs
                                 << QStringList{u"catalog, book, title, XML Basics"_qs,
                                                u"catalog, book, price, 9.50"_qs,
                                                u"catalog, book, note, "_qs,
                                                u"catalog, book, title, Advanced"_qs,
                                                u"catalog, book, #comment, old"_qs};
}

void TestFlatten::workedExample()
{
    QFETCH(QString, delimiter);
    QFETCH(QStringList, lines);
    const Flattened flattened = flattenBytes(catalog, delimiter);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines(lines));
    QCOMPARE(flattened.result.linesWritten, 5);
}

void TestFlatten::nodeModel_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("lines");

    const QString comma = u","_qs;
    const auto row = [&](const char *name, const QByteArray &xml, const QStringList &lines) {
        QTest::newRow(name) << xml << comma << lines;
    };
    row("childlessRoot", "<r/>", {});
    row("blankRoot", "<r> \t\r\n </r>", {});
    row("rootText", "<r>hi</r>", {u"r,hi"_qs});
    row("childlessChild", "<a><e/></a>", {u"a,e,"_qs});
    row("childlessWithBlanks", "<a><e>\n  </e></a>", {u"a,e,"_qs});
    row("blanksKeptAroundText", "<r>  a \n</r>", {u"r,  a \n"_qs});
    row("noBreakSpaceIsText", "<r>\xc2\xa0</r>", {u"r,\u00a0"_qs});
    row("literalCr13Removed", "<r>a&amp;#13;b&amp;#13;</r>", {u"r,ab"_qs});
    row("onlyCr13LeavesEmptyValue", "<r><e>&amp;#13;</e></r>", {u"r,e,"_qs});
    row("cr13FromReferences", "<r>&amp;&#35;1&#51;;x</r>", {u"r,x"_qs});
    row("cr13RemovedOncePerPass", "<r>&amp;#1&amp;#13;3;</r>", {u"r,&#13;"_qs});
    row("cr13StaysInComment", "<r><!--a&#13;b--></r>", {u"r,#comment,a&#13;b"_qs});
    row("cr13StaysInCdata", "<r><![CDATA[a&#13;b]]></r>", {u"r,#cdata-section,a&#13;b"_qs});
    row("cr13StaysInPi", "<r><?p a&#13;b?></r>", {u"r,p,a&#13;b"_qs});
    row("charReferenceCrStays", "<r>a&#13;b</r>", {u"r,a\rb"_qs});
    row("charReferenceCrAloneIsBlank", "<r><e>&#13;</e></r>", {u"r,e,"_qs});
    row("lineBreaksNormalised", "<r>a\r\nb\rc</r>", {u"r,a\nb\nc"_qs});
    row("cdata", "<r><![CDATA[<b> & ]]></r>", {u"r,#cdata-section,<b> & "_qs});
    row("emptyCdata", "<r><![CDATA[]]></r>", {u"r,#cdata-section,"_qs});
    row("blankCdata", "<r><![CDATA[ \n ]]></r>", {u"r,#cdata-section, \n "_qs});
    row("textAroundCdata", "<r>a<![CDATA[b]]>c</r>",
        {u"r,a"_qs, u"r,#cdata-section,b"_qs, u"r,c"_qs});
    row("cdataInLeaf", "<r><e><![CDATA[x]]></e></r>", {u"r,e,#cdata-section,x"_qs});
    row("mixedContent", "<r>a<b>x</b>c</r>", {u"r,a"_qs, u"r,b,x"_qs, u"r,c"_qs});
    row("commentSplitsText", "<r>a<!--c-->b</r>", {u"r,a"_qs, u"r,#comment,c"_qs, u"r,b"_qs});
    row("leafGainsMoreChildren", "<r><e>t<f/>u<!--c--></e><g>v</g></r>",
        {u"r,e,t"_qs, u"r,e,f,"_qs, u"r,e,u"_qs, u"r,e,#comment,c"_qs, u"r,g,v"_qs});
    row("deeperLinesHaveMoreFields", "<a><b><c>v</c></b><d>w</d></a>",
        {u"a,b,c,v"_qs, u"a,d,w"_qs});
    row("emptyComment", "<r><!----></r>", {u"r,#comment,"_qs});
    row("processingInstruction", "<r><?target  some data ?></r>", {u"r,target,some data "_qs});
    row("processingInstructionWithoutData", "<r><?t?></r>", {u"r,t,"_qs});
    row("outsideRootIgnored",
        "<?xml version='1.0'?>\n<!--c--><?p d?><!DOCTYPE r>\n<r>x</r>\n<!--after--><?q?>\n",
        {u"r,x"_qs});
    row("attributesIgnored", "<r a='1'><e b='2'/><f c='3'>v</f></r>", {u"r,e,"_qs, u"r,f,v"_qs});
    row("prefixesAsWritten",
        "<p:r xmlns:p='urn:x'><p:e>v</p:e><e xmlns='urn:y'>w</e><q:e xmlns:q='urn:x'/></p:r>",
        {u"p:r,p:e,v"_qs, u"p:r,e,w"_qs, u"p:r,q:e,"_qs});
    row("predefinedReferences", "<r>&lt;&gt;&amp;&apos;&quot;&#x263A;</r>", {u"r,<>&'\"\u263a"_qs});
    row("internalEntity", "<!DOCTYPE r [<!ENTITY e 'v&#38;#38;w'>]><r>a&e;b</r>", {u"r,av&wb"_qs});
    row("internalEntityWithMarkup", "<!DOCTYPE r [<!ENTITY e '<i>x</i>'>]><r>a&e;b</r>",
        {u"r,a"_qs, u"r,i,x"_qs, u"r,b"_qs});
    row("externalDtdNotNeeded", "<!DOCTYPE r SYSTEM 'missing.dtd'><r>x</r>", {u"r,x"_qs});
    row("valuesNotEscaped", "<r>a,b\"c</r>", {u"r,a,b\"c"_qs});
    row("nonAsciiNames", "<r\xc3\xa9><\xe6\xbc\xa2>\xe2\x82\xac</\xe6\xbc\xa2></r\xc3\xa9>",
        {u"r\u00e9,\u6f22,\u20ac"_qs});

    QTest::newRow("tab") << QByteArray("<a><b>x</b></a>") << u"\t"_qs << QStringList{u"a\tb\tx"_qs};
    // Without a delimiter the path never shortens: later lines keep earlier names.
    QTest::newRow("emptyDelimiter") << QByteArray("<a><b><c>v</c></b><d>w</d></a>") << QString()
                                    << QStringList{u"abcv"_qs, u"abcdw"_qs};
}

void TestFlatten::nodeModel()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, lines);
    const Flattened flattened = flattenBytes(xml, delimiter);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines(lines));
    QCOMPARE(flattened.result.linesWritten, lines.size());
}

void TestFlatten::delimiterInNames_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("lines");

    // Leaving an element restores the path it was entered with, whatever its name holds.
    QTest::newRow("hyphenInParent")
            << QByteArray("<r><a-b><c>1</c></a-b><e>2</e>tail</r>") << u"-"_qs
            << QStringList{u"r-a-b-c-1"_qs, u"r-e-2"_qs, u"r-tail"_qs};
    QTest::newRow("hyphenInLeaf") << QByteArray("<root><x-y>v</x-y><z>w</z></root>") << u"-"_qs
                                  << QStringList{u"root-x-y-v"_qs, u"root-z-w"_qs};
    QTest::newRow("dotsInLeaf") << QByteArray("<r><a.b.c>v</a.b.c><d>w</d></r>") << u"."_qs
                                << QStringList{u"r.a.b.c.v"_qs, u"r.d.w"_qs};
    QTest::newRow("hyphenInRoot") << QByteArray("<a-b><c><d>v</d></c><e>w</e></a-b>") << u"-"_qs
                                  << QStringList{u"a-b-c-d-v"_qs, u"a-b-e-w"_qs};
    QTest::newRow("childlessKeepsPath") << QByteArray("<r><a-b/><c>w</c></r>") << u"-"_qs
                                        << QStringList{u"r-a-b-"_qs, u"r-c-w"_qs};
    QTest::newRow("letterDelimiter") << QByteArray("<box><fox>v</fox><ax>w</ax></box>") << u"x"_qs
                                     << QStringList{u"boxxfoxxv"_qs, u"boxxaxxw"_qs};
    QTest::newRow("doubleHyphenAgainstTriple")
            << QByteArray("<r><a---b><c>v</c></a---b><d>w</d></r>") << u"--"_qs
            << QStringList{u"r--a---b--c--v"_qs, u"r--d--w"_qs};
    QTest::newRow("doubleHyphenInLeaf") << QByteArray("<r><a---b>v</a---b><d>w</d></r>") << u"--"_qs
                                        << QStringList{u"r--a---b--v"_qs, u"r--d--w"_qs};
    // The delimiter found across the boundary of two names cuts nothing either.
    QTest::newRow("straddlingSplit") << QByteArray("<a-><b><c>v</c></b><d>w</d></a->") << u"--"_qs
                                     << QStringList{u"a---b--c--v"_qs, u"a---d--w"_qs};
    QTest::newRow("spacedHyphen") << QByteArray("<r><a>v</a></r>") << u" - "_qs
                                  << QStringList{u"r - a - v"_qs};
}

void TestFlatten::delimiterInNames()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, lines);
    const Flattened flattened = flattenBytes(xml, delimiter);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines(lines));
}

void TestFlatten::notWellFormed_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<qint64>("column");

    QTest::newRow("empty") << QByteArray() << u"no element found"_qs << 1LL << 1LL;
    QTest::newRow("unclosedRoot") << QByteArray("<a>\n<b/>\n") << u"no element found"_qs << 3LL
                                  << 1LL;
    QTest::newRow("mismatchedTag")
            << QByteArray("<a>\n  <b></a>") << u"mismatched tag"_qs << 2LL << 8LL;
    QTest::newRow("junkAfterRoot")
            << QByteArray("<a/><b/>") << u"junk after document element"_qs << 1LL << 5LL;
    QTest::newRow("controlCharacter")
            << QByteArray("<a>x\x01</a>") << u"not well-formed (invalid token)"_qs << 1LL << 5LL;
    QTest::newRow("badUtf8") << QByteArray("<a>\xc3\xa9\xff</a>")
                             << u"not well-formed (invalid token)"_qs << 1LL << 5LL;
    QTest::newRow("undefinedEntity")
            << QByteArray("<a>\n\xc3\xa9&x;</a>") << u"undefined entity"_qs << 2LL << 2LL;
    QTest::newRow("unboundPrefix")
            << QByteArray("<a><p:b/></a>") << u"unbound prefix"_qs << 1LL << 4LL;
    QTest::newRow("duplicateAttribute")
            << QByteArray("<a x='1' x='2'/>") << u"duplicate attribute"_qs << 1LL << 10LL;
    QTest::newRow("textBeforeRoot")
            << QByteArray("hello<a/>") << u"not well-formed (invalid token)"_qs << 1LL << 6LL;
    QTest::newRow("unknownEncoding")
            << QByteArray("<?xml version='1.0' encoding='x-no-such-set'?><a/>")
            << u"unknown encoding \"x-no-such-set\""_qs << 1LL << 31LL;
    // Declared only in an external subset that is never read: the text would be lost.
    QTest::newRow("entityFromExternalDtd")
            << QByteArray("<!DOCTYPE a SYSTEM 'a.dtd'>\n<a>x&e;</a>")
            << u"undefined entity \"e\" (declarations outside the document are not read)"_qs << 2LL
            << 5LL;
    // Declared nowhere: the parameter entity before it might have declared it, but did not.
    QTest::newRow("entityAfterParameterEntity")
            << QByteArray("<!DOCTYPE a [<!ENTITY % p ''> %p;]>\n<a>x&e;</a>")
            << u"undefined entity \"e\""_qs << 2LL << 5LL;
    // Several reads in: the lines and columns of the reads before count too.
    QTest::newRow("faultFarAlongTheFirstLine")
            << "<a>" + QByteArray(600000, 'x') + "</b>" << u"mismatched tag"_qs << 1LL << 600006LL;
    QTest::newRow("faultManyLinesDown") << "<a>" + QByteArray("\n<b/>").repeated(100000) + "\n <c>"
                                        << u"no element found"_qs << 100002LL << 5LL;
    QTest::newRow("entityManyLinesDown")
            << "<!DOCTYPE a SYSTEM 'a.dtd'>\n<a>" + QByteArray("\r\n<b/>").repeated(100000)
                    + "x&e;</a>"
            << u"undefined entity \"e\" (declarations outside the document are not read)"_qs
            << 100002LL << 6LL;
}

void TestFlatten::notWellFormed()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, reason);
    QFETCH(qint64, line);
    QFETCH(qint64, column);
    verifyRefused(xml, reason, line, column);
}

void TestFlatten::parseOnlyChecksWellFormedness()
{
    QByteArray good = catalog;
    QBuffer goodInput(&good);
    goodInput.open(QIODevice::ReadOnly);
    const ConversionResult converted = ConvertToCSV(goodInput, nullptr, u","_qs);
    QVERIFY(converted.converted());
    QCOMPARE(converted.linesWritten, 0);

    QByteArray bad = "<a><b></a>";
    QBuffer badInput(&bad);
    badInput.open(QIODevice::ReadOnly);
    const ConversionResult failed = ConvertToCSV(badInput, nullptr, u","_qs);
    QCOMPARE(failed.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(failed.reason, u"mismatched tag"_qs);
}

void TestFlatten::writeFailsAfterSomeBytes_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<ConversionResult::Status>("status");
    QTest::addColumn<ThreadPlan>("plan");

    const QByteArray large = records(60000);
    QTest::newRow("nothingAccepted")
            << QByteArray(catalog) << 0LL << ConversionResult::Status::WriteFailed
            << ThreadPlan::OneThread;
    QTest::newRow("lastBytesRefused")
            << QByteArray(catalog) << 100LL << ConversionResult::Status::WriteFailed
            << ThreadPlan::OneThread;
    QTest::newRow("failsMidway") << large << 1500000LL << ConversionResult::Status::WriteFailed
                                 << ThreadPlan::OneThread;
    QTest::newRow("failsMidwayTwoThreads")
            << large << 1500000LL << ConversionResult::Status::WriteFailed
            << ThreadPlan::TwoThreads;
    // The document's fault is found after the write failed, and it is what counts.
    const QByteArray broken = QByteArray(large).replace("</records>", "</record>");
    QTest::newRow("notWellFormedAfterFailure")
            << broken << 1500000LL << ConversionResult::Status::LoadFailed << ThreadPlan::OneThread;
    QTest::newRow("notWellFormedAfterFailureTwoThreads")
            << broken << 1500000LL << ConversionResult::Status::LoadFailed
            << ThreadPlan::TwoThreads;
}

void TestFlatten::writeFailsAfterSomeBytes()
{
    QFETCH(QByteArray, xml);
    QFETCH(qint64, capacity);
    QFETCH(ConversionResult::Status, status);
    QFETCH(ThreadPlan, plan);
    QBuffer input(&xml);
    input.open(QIODevice::ReadOnly);
    FailDevice output(capacity);
    const ConversionResult result
            = ConvertToCSV(input, &output, plainFormat(u","_qs), nullptr, plan);
    QCOMPARE(result.status, status);
    if (status == ConversionResult::Status::WriteFailed)
        QVERIFY2(result.reason.contains(u"No space left on device"_qs), qPrintable(result.reason));
    else
        QCOMPARE(result.reason, u"mismatched tag"_qs);
    QCOMPARE(output.accepted().size(), capacity);
}

void TestFlatten::cancelStopsTheParse_data()
{
    QTest::addColumn<ThreadPlan>("plan");
    QTest::newRow("oneThread") << ThreadPlan::OneThread;
    QTest::newRow("twoThreads") << ThreadPlan::TwoThreads;
}

void TestFlatten::cancelStopsTheParse()
{
    QFETCH(ThreadPlan, plan);
    std::atomic_bool cancel = false;
    const QByteArray xml = records(20000);
    TrickleDevice input(xml);
    int reads = 0;
    input.onRead = [&] {
        if (++reads == 50)
            cancel = true;
    };
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    const ConversionResult result
            = ConvertToCSV(input, &output, plainFormat(u","_qs), &cancel, plan);
    QCOMPARE(result.status, ConversionResult::Status::Cancelled);
    QVERIFY(input.consumed() < xml.size() / 10);
}

void TestFlatten::unreadableInput()
{
    QBuffer input;
    input.open(QIODevice::WriteOnly);
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QBuffer): WriteOnly device");
    const ConversionResult result = ConvertToCSV(input, &output, u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.line, 0);
    QCOMPARE(result.column, 0);
    QVERIFY(written.isEmpty());
}

void TestFlatten::trickledInputGivesTheSameLines()
{
    const QByteArray xml = "<?xml version='1.0' encoding='UTF-8'?><r>\xc3\xa9t\xc3\xa9 &amp;#13;"
                           "<a>x&amp;#13;y</a><![CDATA[c\xe2\x82\xac]]><!--long comment--></r>";
    TrickleDevice input(xml);
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    const ConversionResult result = ConvertToCSV(input, &output, u"::"_qs);
    QVERIFY2(result.converted(), qPrintable(result.reason));
    QCOMPARE(written, flattenBytes(xml, u"::"_qs).output);
    QCOMPARE(written,
             crlfLines({u"r::\u00e9t\u00e9 "_qs, u"r::a::xy"_qs, u"r::#cdata-section::c\u20ac"_qs,
                        u"r::#comment::long comment"_qs}));
}

QTEST_GUILESS_MAIN(TestFlatten)
#include "tst_flatten.moc"
