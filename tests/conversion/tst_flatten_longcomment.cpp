#include "flattentesting.h"

#include <QStringEncoder>
#include <QTest>

// Comments longer than the parser is handed at once: their lines and their faults.
namespace {
// Longer than a few reads, with line ends of every kind.
QByteArray longBody()
{
    return QByteArray("comment \xc3\xa9 -x\r\n").repeated(30000) + "\rlast\n-end";
}

QByteArray normalised(QByteArray text)
{
    return text.replace("\r\n", "\n").replace('\r', '\n');
}

// A long comment on a single line.
QByteArray flatBody()
{
    return QByteArray("a\xc3\xa9-b").repeated(120000);
}

// Hyphens at every other byte, so that reads end and begin at them; the comment's end starts
// at the given offset, which places it across the boundary of two reads.
QByteArray hyphenated(const QByteArray &head, qint64 endAt, const QByteArray &end = "-->")
{
    const QByteArray open = head + "<!--";
    QByteArray xml = open + QByteArray("-a").repeated((endAt - open.size()) / 2);
    if (xml.size() < endAt)
        xml += ' ';
    return xml + end;
}

// Two reads of a file, or many of a pipe: a multiple of both read sizes.
constexpr qint64 readBoundary = 2 * 256 * 1024;

QByteArray utf16(const QByteArray &utf8, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder(QString::fromUtf8(utf8));
}
} // namespace

class TestFlattenLongComment : public QObject {
    Q_OBJECT

private slots:
    void convertsAsAShortOne_data();
    void convertsAsAShortOne();
    void quotedAsAShortOne();
    void faultsKeepTheirPlace_data();
    void faultsKeepTheirPlace();
};

void TestFlattenLongComment::convertsAsAShortOne_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QByteArray>("lines");
    const QByteArray body = longBody();
    const QByteArray line = "r,#comment," + normalised(body) + "\r\n";
    QTest::newRow("alone") << "<r><!--" + body + "--></r>" << line;
    QTest::newRow("betweenTexts") << "<r>a<!--" + body + "-->b</r>"
                                  << "r,a\r\nr,#comment," + normalised(body) + "\r\nr,b\r\n";
    QTest::newRow("afterCarriageReturn")
            << "<r>a\r<!--" + body + "-->b</r>"
            << "r,a\n\r\nr,#comment," + normalised(body) + "\r\nr,b\r\n";
    QTest::newRow("afterBracket") << "<r>a]<!--" + body + "-->]</r>"
                                  << "r,a]\r\nr,#comment," + normalised(body) + "\r\nr,]\r\n";
    QTest::newRow("inChild") << "<?xml version='1.0' encoding='UTF-8'?>\n<r><a x='\"' y=\"'\"><!--"
                    + body + "--></a><b/></r>"
                             << "r,a,#comment," + normalised(body) + "\r\nr,b,\r\n";
    QTest::newRow("afterDoctype")
            << "<!DOCTYPE r [<!ENTITY e \"]>\"> <!-- ' --> <?p ]>?>]>\n<r>&e;<!--" + body
                    + "--></r>"
            << "r,]>\r\nr,#comment," + normalised(body) + "\r\n";
    QTest::newRow("legacyEncoding")
            << "<?xml version='1.0' encoding='windows-1252'?><r><!--"
                    + flatBody().replace("\xc3\xa9", "e") + "\xe9--></r>"
            << "r,#comment," + flatBody().replace("\xc3\xa9", "e") + "\xc3\xa9\r\n";
    const QByteArray kanji = QByteArray("\x93\xfa\x96\x7b\x8c\xea").repeated(60000);
    const QByteArray kanjiUtf8 = QByteArray("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e").repeated(60000);
    QTest::newRow("multiByteLegacy") << "<?xml version='1.0' encoding='Shift_JIS'?><r><!--"
                    + QByteArray("\x93\xfa\x96\x7b\x8c\xea -x\n").repeated(40000) + "--></r>"
                                     << "r,#comment,"
                    + QByteArray("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e -x\n").repeated(40000)
                    + "\r\n";
    QTest::newRow("multiByteLegacyWithoutBlanks")
            << "<?xml version='1.0' encoding='Shift_JIS'?><r><!--" + kanji + "--></r>"
            << "r,#comment," + kanjiUtf8 + "\r\n";
    QTest::newRow("utf8WithoutAscii") << "<r><!--" + kanjiUtf8 + "--></r>"
                                      << "r,#comment," + kanjiUtf8 + "\r\n";
    const QByteArray utf16Xml
            = "<?xml version='1.0' encoding='UTF-16'?><r><!--" + body + "\xf0\x9f\x98\x80-x--></r>";
    const QByteArray utf16Line = "r,#comment," + normalised(body) + "\xf0\x9f\x98\x80-x\r\n";
    QTest::newRow("utf16le") << utf16(utf16Xml, QStringConverter::Utf16LE) << utf16Line;
    QTest::newRow("utf16be") << utf16(utf16Xml, QStringConverter::Utf16BE) << utf16Line;
    for (const QByteArray &head : {QByteArray("<r>"), QByteArray("<r> ")}) {
        for (const qint64 shift : {0, 1, 2}) {
            const QByteArray xml = hyphenated(head, readBoundary - shift) + "</r>";
            const QByteArray body = xml.mid(head.size() + 4, xml.size() - head.size() - 11);
            QTest::addRow("endAcrossReads%d_%lld", int(head.size()), shift)
                    << xml << "r,#comment," + body + "\r\n";
        }
    }
    QTest::newRow("inInternalSubset")
            << "<!DOCTYPE r [<!--" + body + "--><!ENTITY e 'x'>]><r>&e;</r>"
            << QByteArray("r,x\r\n");
    QTest::newRow("lineEndsAcrossCuts")
            << "<r><!--" + QByteArray("a\r\n").repeated(200000) + "--></r>"
            << "r,#comment," + QByteArray("a\n").repeated(200000) + "\r\n";
    QTest::newRow("carriageReturnsOnly") << "<r><!--" + QByteArray(300000, '\r') + "--></r>"
                                         << "r,#comment," + QByteArray(300000, '\n') + "\r\n";
    QTest::newRow("carriageReturnsBeforeLineFeeds")
            << "<r><!--" + QByteArray("\r\r\n").repeated(150000) + "--></r>"
            << "r,#comment," + QByteArray("\n\n").repeated(150000) + "\r\n";
    QTest::newRow("twoInARow") << "<r><!--" + body + "--><!--" + flatBody() + "--></r>"
                               << line + "r,#comment," + flatBody() + "\r\n";
    QTest::newRow("outsideTheRoot")
            << "<!--" + body + "--><r><a/></r><!--" + body + "-->" << QByteArray("r,a,\r\n");
    QTest::newRow("inCdataAndInstruction")
            << "<!DOCTYPE r [<!-- ]> --><!ENTITY e '<!--x-->'>]><r><![CDATA[<!--" + body
                    + "-->]]><?p <!--" + body + "--> ?></r>"
            << "r,#cdata-section,<!--" + normalised(body) + "-->\r\nr,p,<!--" + normalised(body)
                    + "--> \r\n";
}

// Fed at once or a few bytes at a time, a long comment gives the line a short one gives.
void TestFlattenLongComment::convertsAsAShortOne()
{
    QFETCH(QByteArray, xml);
    QFETCH(QByteArray, lines);
    const Flattened whole = flattenBytes(xml, u","_qs);
    QVERIFY2(whole.result.converted(), qPrintable(whole.result.reason));
    QCOMPARE(whole.output, lines);
    const Flattened trickled = flattenTrickled(xml, u","_qs);
    QVERIFY2(trickled.result.converted(), qPrintable(trickled.result.reason));
    QCOMPARE(trickled.output, lines);
}

// Quotes are decided on the whole comment, not on a piece.
void TestFlattenLongComment::quotedAsAShortOne()
{
    CsvFormat format;
    format.quoting = CsvFormat::Quoting::Needed;
    const QByteArray body = QByteArray("a\"b,c\n").repeated(100000);
    const Flattened flattened = flattenBytes("<r><!--" + body + "--><!--x--></r>", format);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output,
             "r,#comment,\"" + QByteArray(body).replace("\"", "\"\"") + "\"\r\nr,#comment,x\r\n");
}

void TestFlattenLongComment::faultsKeepTheirPlace_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<qint64>("column");
    const QByteArray body = longBody();
    const QByteArray flat = flatBody();
    const QString invalid = u"not well-formed (invalid token)"_qs;
    QTest::newRow("doubleHyphen") << "<r>\n<!--" + body + "--x--></r>" << invalid << 30004LL << 7LL;
    QTest::newRow("doubleHyphenFlat")
            << "<r> <!--" + flat + "--x--></r>" << invalid << 1LL << 480011LL;
    QTest::newRow("controlCharacter")
            << "<r>\n<!--" + body + "\x01--></r>" << invalid << 30004LL << 5LL;
    QTest::newRow("badByte") << "<r>\n<!--" + body + "\xff--></r>" << invalid << 30004LL << 5LL;
    QTest::newRow("loneTrailByte")
            << "<r><!--" + flat + "\x80--></r>" << invalid << 1LL << 480008LL;
    QTest::newRow("overlong") << "<r><!--" + flat + "\xc0\xaf--></r>" << invalid << 1LL << 480008LL;
    QTest::newRow("surrogate") << "<r><!--" + flat + "\xed\xa0\x80--></r>" << invalid << 1LL
                               << 480008LL;
    QTest::newRow("noncharacter") << "<r><!--" + flat + "\xef\xbf\xbe--></r>" << invalid << 1LL
                                  << 480008LL;
    QTest::newRow("cutSequence") << "<r><!--" + flat + "\xe2\x82--></r>" << invalid << 1LL
                                 << 480008LL;
    QTest::newRow("endsInASequence")
            << "<r>\n <!--" + body + "\xe2\x82" << u"partial character"_qs << 2LL << 2LL;
    QTest::newRow("unclosed") << "<r>\n <!--" + body << u"unclosed token"_qs << 2LL << 2LL;
    QTest::newRow("afterOnItsLastLine")
            << "<r>\n<!--" + body + "--></x>" << u"mismatched tag"_qs << 30004LL << 10LL;
    QTest::newRow("afterOnALaterLine")
            << "<r>\n<!--" + body + "-->\r\n <a>\n  </x>" << u"mismatched tag"_qs << 30006LL << 5LL;
    QTest::newRow("afterOnTheSameLine") << "<r> <!--" + flat + "--> <!--" + flat + "--></x>"
                                        << u"mismatched tag"_qs << 1LL << 960022LL;
    for (const qint64 shift : {0, 1, 2}) {
        QTest::addRow("doubleHyphenAcrossReads%lld", shift)
                << hyphenated("<r>", readBoundary - shift, "--x-->") + "</r>" << invalid << 1LL
                << readBoundary - shift + 3;
        QTest::addRow("endsWithHyphenAcrossReads%lld", shift)
                << hyphenated("<r>", readBoundary - shift, "--->") + "</r>" << invalid << 1LL
                << readBoundary - shift + 3;
    }
    QTest::newRow("undefinedEntityAfter")
            << "<!DOCTYPE r SYSTEM 'r.dtd'><r> <!--" + flat + "-->&u;</r>"
            << u"undefined entity \"u\" (declarations outside the document are not read)"_qs << 1LL
            << 480039LL;
    QStringEncoder toUtf32(QStringConverter::Utf32BE);
    QTest::newRow("utf32AfterComment")
            << QByteArray(toUtf32(QString::fromUtf8("<r><!--" + flat + "-->")))
                    + QByteArray("\0\x11\0\0", 4) + QByteArray(toUtf32(u"</r>"_qs))
            << u"the bytes 0x00 0x11 0x00 0x00 cannot be mapped in the encoding \"UTF-32BE\""_qs
            << 1LL << 480011LL;
    QTest::newRow("afterTwo") << "<r>\n<!--" + body + "--> <!--" + flat + "--><!--" + body
                    + "-->\n\xc3\xa9</x>"
                              << u"mismatched tag"_qs << 60007LL << 4LL;
}

// A fault inside or after a long comment is reported with the reason and place of a short one.
void TestFlattenLongComment::faultsKeepTheirPlace()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, reason);
    QFETCH(qint64, line);
    QFETCH(qint64, column);
    verifyRefused(xml, reason, line, column);
    QBuffer input(&xml);
    input.open(QIODevice::ReadOnly);
    const ConversionResult checked = ConvertToCSV(input, nullptr, u","_qs);
    QCOMPARE(checked.reason, reason);
    QCOMPARE(checked.line, line);
    QCOMPARE(checked.column, column);
    const Flattened trickled = flattenTrickled(xml, u","_qs);
    QCOMPARE(trickled.result.reason, reason);
    QCOMPARE(trickled.result.line, line);
    QCOMPARE(trickled.result.column, column);
}

QTEST_GUILESS_MAIN(TestFlattenLongComment)
#include "tst_flatten_longcomment.moc"
