#include "flattentesting.h"

#include <QStringEncoder>
#include <QTest>

#include <tuple>

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
    const auto declaring = [&](const char *encoding) {
        return QString(text).replace(u"?>"_qs,
                                     u" encoding=\"%1\"?>"_qs.arg(QLatin1StringView(encoding)));
    };
    QTest::newRow("utf16Declared") << utf16(declaring("UTF-16"), QStringConverter::Utf16LE) << line;
    // A declaration that names the encoding of the byte-order mark.
    QTest::newRow("utf8BomDeclared") << "\xef\xbb\xbf" + declaring("utf-8").toUtf8() << line;
    QTest::newRow("utf16leBomDeclaredUtf16le")
            << utf16(declaring("UTF-16LE"), QStringConverter::Utf16LE) << line;
    QTest::newRow("utf16beBomDeclaredUcs2")
            << utf16(declaring("ISO-10646-UCS-2"), QStringConverter::Utf16BE) << line;
    QTest::newRow("utf32leBomDeclaredUtf32")
            << utf32(declaring("UTF-32"), QStringConverter::Utf32LE, true) << line;

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

    // Names in every script, beyond U+FFFF too, with combining marks after the first character;
    // each one names the document type, an entity, an instruction, the root and an attribute.
    // The prefixed ones split into a namespace prefix and a local name.
    const auto document = [](const QString &name) {
        return u"<!DOCTYPE %1 [<!ENTITY %1 'v'>]><?%1 d?><%1 %1='a'>&%1;</%1>"_qs.arg(name);
    };
    const auto prefixed = [](const QString &prefix, const QString &local) {
        return u"<%1:%2 xmlns:%1='urn:x' %1:%2='a'><%1:%2/></%1:%2>"_qs.arg(prefix, local);
    };
    const QString ethiopic = u"\u1230\u120b\u121d"_qs;
    const QString beyondBmp = u"\U00020bb7\u91ce\u5bb6\U0001d538"_qs;
    // The first and last character of every range of name characters.
    const QString rangeEnds = u"\u00c0\u00d6\u00d8\u00f6\u00f8\u02ff\u0370\u037d\u037f\u1fff"
                              "\u200c\u200d\u2070\u218f\u2c00\u2fef\u3001\ud7ff\uf900\ufdcf"
                              "\ufdf0\ufffd\U00010000\U000effff\u00b7\u0300\u036f\u203f\u2040"_qs;
    const std::tuple<const char *, QString, QString> names[] = {
            {"ethiopic", document(ethiopic), ethiopic + u",v"_qs},
            {"mongolian", document(u"\u182e\u1823\u1829\u182d\u1823\u182f"_qs),
             u"\u182e\u1823\u1829\u182d\u1823\u182f,v"_qs},
            {"khmer", document(u"\u1781\u17d2\u1798\u17c2\u179a"_qs),
             u"\u1781\u17d2\u1798\u17c2\u179a,v"_qs},
            {"cyrillic", document(u"\u041f\u0440\u0438\u0432\u0435\u0442"_qs),
             u"\u041f\u0440\u0438\u0432\u0435\u0442,v"_qs},
            {"sinhala", document(u"\u0dc3\u0dd2\u0d82\u0dc4\u0dbd"_qs),
             u"\u0dc3\u0dd2\u0d82\u0dc4\u0dbd,v"_qs},
            {"cjkExtensionA", document(u"\u3400\u5b57"_qs), u"\u3400\u5b57,v"_qs},
            {"beyondBmp", document(beyondBmp), beyondBmp + u",v"_qs},
            {"combiningMarks", document(u"ne\u0301e\u0363"_qs), u"ne\u0301e\u0363,v"_qs},
            {"rangeEnds", document(rangeEnds), rangeEnds + u",v"_qs},
            {"prefixedEthiopic", prefixed(ethiopic, beyondBmp),
             ethiopic + u":"_qs + beyondBmp + u","_qs + ethiopic + u":"_qs + beyondBmp + u","_qs},
            {"prefixedBeyondBmp", prefixed(beyondBmp, ethiopic),
             beyondBmp + u":"_qs + ethiopic + u","_qs + beyondBmp + u":"_qs + ethiopic + u","_qs}};
    for (const auto &[script, xml, line] : names) {
        QTest::addRow("%sUtf8", script) << xml.toUtf8() << line;
        QTest::addRow("%sUtf16le", script) << utf16(xml, QStringConverter::Utf16LE) << line;
        QTest::addRow("%sUtf16be", script) << utf16(xml, QStringConverter::Utf16BE) << line;
    }
    // U+0E2F ends a name and U+3006 starts one: a byte in TIS-620, two bytes in Shift_JIS.
    QTest::newRow("thaiName") << declared("TIS-620",
                                          "<r><\xa1\xc3\xd8\xa7\xe0\xb7\xbe\xcf>v"
                                          "</\xa1\xc3\xd8\xa7\xe0\xb7\xbe\xcf></r>")
                              << u"r,\u0e01\u0e23\u0e38\u0e07\u0e40\u0e17\u0e1e\u0e2f,v"_qs;
    QTest::newRow("windows1252MiddleDot")
            << declared("windows-1252", "<r><a\xb7>v</a\xb7></r>") << u"r,a\u00b7,v"_qs;
    QTest::newRow("eucKrMiddleDot")
            << declared("EUC-KR", "<r><a\xa1\xa4>v</a\xa1\xa4></r>") << u"r,a\u00b7,v"_qs;
    QTest::newRow("shiftJisName") << declared("Shift_JIS",
                                              "<r><\x81\x59\x90\xd8>v</\x81\x59\x90\xd8></r>")
                                  << u"r,\u3006\u5207,v"_qs;
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

    // A byte-order mark that says another encoding than the declaration.
    const QString bomDeclares
            = u"the document starts with the byte-order mark of %1 but declares the encoding "
              "\"%2\""_qs;
    QTest::newRow("utf8BomDeclaresLatin1")
            << "\xef\xbb\xbf" + declared("iso-8859-1", "<r/>")
            << bomDeclares.arg(u"UTF-8"_qs, u"iso-8859-1"_qs) << 1LL << 1LL;
    QTest::newRow("utf8BomDeclaresWindows1252")
            << "\xef\xbb\xbf" + declared("windows-1252", "<r/>")
            << bomDeclares.arg(u"UTF-8"_qs, u"windows-1252"_qs) << 1LL << 1LL;
    QTest::newRow("utf16BomDeclaresUtf8")
            << utf16(QString::fromLatin1(declared("UTF-8", "<r/>")), QStringConverter::Utf16BE)
            << bomDeclares.arg(u"UTF-16BE"_qs, u"UTF-8"_qs) << 1LL << 1LL;
    QTest::newRow("utf16leBomDeclaresUtf16be")
            << utf16(QString::fromLatin1(declared("UTF-16BE", "<r/>")), QStringConverter::Utf16LE)
            << bomDeclares.arg(u"UTF-16LE"_qs, u"UTF-16BE"_qs) << 1LL << 1LL;
    QTest::newRow("utf32BomDeclaresLatin1")
            << utf32(QString::fromLatin1(declared("ISO-8859-1", "<r/>")), QStringConverter::Utf32BE,
                     true)
            << bomDeclares.arg(u"UTF-32BE"_qs, u"ISO-8859-1"_qs) << 1LL << 1LL;

    // Each character next to a range of name characters, inside a name; then the characters
    // that may follow the first one of a name, at its start.
    for (const char32_t c :
         {0xbf, 0xd7, 0xf7, 0x37e, 0x2000, 0x200b, 0x200e, 0x203e, 0x2041, 0x206f, 0x2190, 0x2bff,
          0x2ff0, 0x3000, 0xf8ff, 0xfdd0, 0xfdef, 0xf0000, 0x1000c0}) {
        QTest::addRow("notInName%04X", unsigned(c))
                << (u"<a"_qs + QString::fromUcs4(&c, 1) + u"/>"_qs).toUtf8() << invalid << 1LL
                << 3LL;
    }
    for (const char32_t c : {0x2d, 0x2e, 0x30, 0x39, 0xb7, 0x300, 0x36f, 0x203f, 0x2040}) {
        QTest::addRow("notFirstInName%04X", unsigned(c))
                << (u"<"_qs + QString::fromUcs4(&c, 1) + u"a/>"_qs).toUtf8() << invalid << 1LL
                << 2LL;
    }
    QTest::newRow("localNameStartsWithCombiningMark")
            << QByteArray("<p:\xcc\x81x xmlns:p='urn:x'/>") << invalid << 1LL << 4LL;
    QTest::newRow("privateUsePlaneUtf16le")
            << QByteArray("<\0\x80\xdb\0\xdc/\0>\0", 10) << invalid << 1LL << 2LL;
    QTest::newRow("privateUsePlaneUtf16be")
            << QByteArray("\0<\xdb\x80\xdc\0\0/\0>", 10) << invalid << 1LL << 2LL;
    // Letters of Latin-1 that XML never took into names.
    QTest::newRow("latin1FeminineOrdinal")
            << declared("ISO-8859-1", "<\xaa/>") << invalid << 2LL << 2LL;
    QTest::newRow("latin1MicroSignUtf16")
            << QByteArray("<\0a\0\xb5\0/\0>\0", 10) << invalid << 1LL << 3LL;
    QTest::newRow("latin1MasculineOrdinal")
            << declared("ISO-8859-1", "<a\xba/>") << invalid << 2LL << 3LL;
    QTest::newRow("windows1252MiddleDotFirst")
            << declared("windows-1252", "<\xb7/>") << invalid << 2LL << 2LL;
    QTest::newRow("eucKrMiddleDotFirst")
            << declared("EUC-KR", "<\xa1\xa4/>") << invalid << 2LL << 2LL;
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
