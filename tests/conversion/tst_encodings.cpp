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

QByteArray utf32(const QString &text, QStringConverter::Encoding encoding, bool bom)
{
    QStringEncoder encoder(
            encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
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

    QTest::newRow("utf32beBom") << utf32(text, QStringConverter::Utf32BE, true) << line;
    QTest::newRow("utf32leBom") << utf32(text, QStringConverter::Utf32LE, true) << line;
    QTest::newRow("utf32be") << utf32(text, QStringConverter::Utf32BE, false) << line;
    QTest::newRow("ucs4le") << utf32(QString(text).replace(u"?>"_qs, u" encoding=\"UCS-4\"?>"_qs),
                                     QStringConverter::Utf32LE, false)
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
    // Its three-byte row 0x8F 0xA1 is empty: the length is found past it.
    QTest::newRow("eucJpMs") << declared("EUCJP-MS", "<r>\x8f\xa2\xaf</r>") << u"r,\u02d8"_qs;
    // EUC-TW has four-byte sequences, found by following one incomplete sequence per length.
    QTest::newRow("eucTw") << declared("EUC-TW", "<r>\x8e\xa2\xa1\xa1\xc4\xa1</r>")
                           << u"r,\u4e42\u4e00"_qs;
    QTest::newRow("eucKr") << declared("EUC-KR", "<r>\xb0\xa1</r>") << u"r,\uac00"_qs;
}

void TestEncodings::decoded()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, line);
    const Flattened flattened = flattenBytes(xml, u","_qs);
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, crlfLines({line}));
    // The first bytes are looked at before parsing; a pipe must still deliver all of them.
    QCOMPARE(flattenTrickled(xml, u","_qs).output, flattened.output);
}

void TestEncodings::refused_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<qint64>("column");

    const QString invalid = u"not well-formed (invalid token)"_qs;
    QTest::newRow("undefinedWindows1252Byte")
            << declared("windows-1252", "<r>\n ab\x81</r>")
            << u"the byte 0x81 cannot be mapped in the encoding \"windows-1252\""_qs << 3LL << 4LL;
    QTest::newRow("undefinedWindows1252Name")
            << declared("windows-1252", "<r><a\x8d/></r>")
            << u"the byte 0x8D cannot be mapped in the encoding \"windows-1252\""_qs << 2LL << 6LL;
    QTest::newRow("badShiftJisSequence")
            << declared("Shift_JIS", "<r>\x82\xa0\x82\x20</r>")
            << u"the bytes 0x82 0x20 cannot be mapped in the encoding \"Shift_JIS\""_qs << 2LL
            << 5LL;
    QTest::newRow("iso2022Text") << declared("ISO-2022-JP", "<r>a\x1b$B$\"\x1b(B</r>")
                                 << u"the encoding \"ISO-2022-JP\" is not supported: it switches "
                                    "character sets within the text"_qs
                                 << 2LL << 5LL;
    QTest::newRow("utf32BadCodePoint")
            << QByteArray("\0\0\0<\0\0\0r\0\0\0>\0\x11\0\0", 16)
            << u"the bytes 0x00 0x11 0x00 0x00 cannot be mapped in the encoding \"UTF-32BE\""_qs
            << 1LL << 4LL;
    QTest::newRow("utf32Truncated") << QByteArray("<\0\0\0r\0\0\0>\0\0\0a\0", 14)
                                    << u"the bytes 0x61 0x00 cannot be mapped in the encoding "
                                       "\"UTF-32LE\""_qs
                                    << 1LL << 4LL;
    QTest::newRow("utf32Surrogate")
            << QByteArray("\xFF\xFE\0\0<\0\0\0r\0\0\0>\0\0\0\0\xD8\0\0", 20)
            << u"the bytes 0x00 0xD8 0x00 0x00 cannot be mapped in the encoding \"UTF-32LE\""_qs
            << 1LL << 4LL;
    // An unpaired surrogate is no character; the parser would join it with the next unit.
    QTest::newRow("utf16HighThenLetter")
            << QByteArray("\xFF\xFE<\0r\0>\0\0\xD8"
                          "a\0<\0/\0r\0>\0",
                          20)
            << u"the bytes 0x00 0xD8 cannot be mapped in the encoding \"UTF-16LE\""_qs << 1LL
            << 5LL; // the parser counts a byte-order mark as a column
    QTest::newRow("utf16HighThenTag")
            << QByteArray("\0<\0r\0>\xD8\x3D\0<\0/\0r\0>", 16)
            << u"the bytes 0xD8 0x3D cannot be mapped in the encoding \"UTF-16BE\""_qs << 1LL
            << 4LL;
    QTest::newRow("utf16LoneLowInName")
            << QByteArray("\xFE\xFF\0<\0r\xDC\0\0/\0>", 12)
            << u"the bytes 0xDC 0x00 cannot be mapped in the encoding \"UTF-16BE\""_qs << 1LL
            << 4LL;
    QTest::newRow("utf16HighAtEnd") << QByteArray("<\0r\0>\0\0\xDB", 8)
                                    << u"the bytes 0x00 0xDB cannot be mapped in the encoding "
                                       "\"UTF-16LE\""_qs
                                    << 1LL << 4LL;
    QTest::newRow("utf16TwoHighsOnLineTwo")
            << QByteArray("<\0r\0>\0\n\0a\0\0\xD8\0\xD8\0\xDC<\0/\0r\0>\0", 24)
            << u"the bytes 0x00 0xD8 cannot be mapped in the encoding \"UTF-16LE\""_qs << 2LL
            << 2LL;
    QTest::newRow("ucs4Order3412")
            << QByteArray("\0<\0\0\0r\0\0\0/\0\0\0>\0\0", 16)
            << u"the encoding \"UCS-4\" in byte order 3412 is not supported"_qs << 1LL << 1LL;
    QTest::newRow("ucs4OddOrder") << QByteArray(
            "\0\0<\0\0\0r\0\0\0/\0\0\0>\0",
            16) << u"the encoding \"UCS-4\" in byte order 2143 is not supported"_qs
                                  << 1LL << 1LL;
    // The declaration cannot be right: it was read one byte per character.
    QTest::newRow("declaredUtf32")
            << declared("UTF-32BE", "<r/>")
            << u"the document is not written in the encoding \"UTF-32BE\" that it declares"_qs
            << 1LL << 31LL;
    QTest::newRow("declaredUcs4") << declared(
            "UCS-4",
            "<r/>") << u"the document is not written in the encoding \"UCS-4\" that it declares"_qs
                                  << 1LL << 31LL;
    QTest::newRow("ebcdicDocument")
            << QByteArray::fromHex("4c6fa7949340a58599a28996957e7ff14bf07f4085958396848995877e7f"
                                   "c9c2d4f0f3f77f6f6e4c99616e")
            << u"the encoding \"IBM037\" is not supported"_qs << 1LL << 1LL;
    QTest::newRow("ebcdicUndeclared")
            << QByteArray::fromHex("4c6fa7949340a58599a28996957e7ff14bf07f6f6e4c99616e")
            << u"the encoding \"EBCDIC\" is not supported"_qs << 1LL << 1LL;
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
