#include "flattentesting.h"

#include <QStringEncoder>
#include <QTest>

// Documents in the encodings their declaration or byte-order mark names; the output is UTF-8.
class TestEncodings : public QObject {
    Q_OBJECT

private slots:
    void decoded_data();
    void decoded();
    void refused_data();
    void refused();
};

namespace {

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray declared(const char *encoding, const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>\n" + body;
}

} // namespace

void TestEncodings::decoded_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("line");

    const QString text
            = u"<?xml version=\"1.0\"?><r\u00e9><n>\u00e9\u20ac\u6f22\U0001F600</n></r\u00e9>"_qs;
    const QString line = u"r\u00e9,n,\u00e9\u20ac\u6f22\U0001F600"_qs;
    QTest::newRow("utf8") << text.toUtf8() << line;
    QTest::newRow("utf8Bom") << "\xef\xbb\xbf" + text.toUtf8() << line;
    QTest::newRow("utf16le") << utf16(text, QStringConverter::Utf16LE) << line;
    QTest::newRow("utf16be") << utf16(text, QStringConverter::Utf16BE) << line;
    QTest::newRow("utf16Declared")
            << utf16(QString(text).replace(u"?>"_qs, u" encoding=\"UTF-16\"?>"_qs),
                     QStringConverter::Utf16LE)
            << line;

    QTest::newRow("latin1") << declared("ISO-8859-1", "<r\xe9>caf\xe9 \xa4\x80</r\xe9>")
                            << u"r\u00e9,caf\u00e9 \u00a4\u0080"_qs;
    QTest::newRow("latin9") << declared("ISO-8859-15", "<r>\xa4\xbd\xe9</r>")
                            << u"r,\u20ac\u0153\u00e9"_qs;
    QTest::newRow("windows1252") << declared("windows-1252", "<r\xe9>\x80\x93x\x94\x9f</r\xe9>")
                                 << u"r\u00e9,\u20ac\u201cx\u201d\u0178"_qs;
    QTest::newRow("cp1252Alias") << declared("cp1252", "<r>\x80</r>") << u"r,\u20ac"_qs;
    QTest::newRow("koi8r") << declared("KOI8-R", "<r>\xc1\xc2</r>") << u"r,\u0430\u0431"_qs;
    // Japanese names and text; half-width katakana are single bytes, 0x5C is the backslash.
    QTest::newRow("shiftJis") << declared("Shift_JIS",
                                          "<r><\x96\xbc\x91\x4f>\x82\xa0\x8a\xbf"
                                          "\xb1\x5c</\x96\xbc\x91\x4f></r>")
                              << u"r,\u540d\u524d,\u3042\u6f22\uff71\\"_qs;
    QTest::newRow("shiftJisLowerCase")
            << declared("shift_jis", "<r>\x82\xa0</r>") << u"r,\u3042"_qs;
    // EUC-JP has three-byte sequences besides the two-byte ones.
    QTest::newRow("eucJp") << declared("EUC-JP", "<r>\xa4\xa2\x8f\xb0\xa1\x8e\xb1</r>")
                           << u"r,\u3042\u4e02\uff71"_qs;
    QTest::newRow("eucKr") << declared("EUC-KR", "<r>\xb0\xa1</r>") << u"r,\uac00"_qs;
}

void TestEncodings::decoded()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, line);
    const Flattened flattened = flattenBytes(xml, u","_qs);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines({line}));
}

void TestEncodings::refused_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<qint64>("column");

    const QString invalid = u"not well-formed (invalid token)"_qs;
    QTest::newRow("undefinedWindows1252Byte")
            << declared("windows-1252", "<r>\n ab\x81</r>") << invalid << 3LL << 4LL;
    QTest::newRow("badShiftJisSequence")
            << declared("Shift_JIS", "<r>\x82\xa0\x82\x20</r>") << invalid << 2LL << 5LL;
    QTest::newRow("truncatedUtf8") << QByteArray("<r>\xe6\xbc</r>") << invalid << 1LL << 4LL;
    QTest::newRow("unknownName") << declared("x-martian", "<r/>")
                                 << u"unknown encoding \"x-martian\""_qs << 1LL << 31LL;
    // The second byte decides the length of a GB18030 sequence; the parser cannot follow that.
    QTest::newRow("variableLength")
            << declared("GB18030", "<r/>") << u"the encoding \"GB18030\" is not supported"_qs << 1LL
            << 31LL;
    QTest::newRow("ebcdic") << declared("IBM037", "<r/>")
                            << u"the encoding \"IBM037\" is not supported"_qs << 1LL << 31LL;
    QTest::newRow("declaredUtf16ButSingleByte")
            << declared("UTF-16", "<r/>")
            << u"encoding specified in XML declaration is incorrect"_qs << 1LL << 31LL;
}

void TestEncodings::refused()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, reason);
    QFETCH(qint64, line);
    QFETCH(qint64, column);
    verifyRefused(xml, reason, line, column);
}

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
