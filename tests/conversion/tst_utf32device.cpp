#include "conversion/encoding/utf32device.h"
#include "conversion/flatten.h"

#include <QBuffer>
#include <QTest>

// UTF-32 input handed to the parser as UTF-8, and the units that are no character.
class TestUtf32Device : public QObject {
    Q_OBJECT

private slots:
    void transcoded_data();
    void transcoded();
    void badUnit_data();
    void badUnit();
    void badUnitPastFirstRead();
    void readFailureIsReported();
};

namespace {

QByteArray units(const QList<char32_t> &codePoints, bool bigEndian)
{
    QByteArray bytes;
    for (const char32_t c : codePoints) {
        for (int shift : {24, 16, 8, 0})
            bytes.append(static_cast<char>(c >> (bigEndian ? shift : 24 - shift) & 0xFF));
    }
    return bytes;
}

// Bytes read whole through the device.
struct Transcoded {
    Transcoded(const QByteArray &bytes, bool bigEndian)
    {
        source.setData(bytes);
        source.open(QIODevice::ReadOnly);
        device = std::make_unique<Utf32Device>(source, bigEndian);
        utf8 = device->readAll();
    }
    QBuffer source;
    std::unique_ptr<Utf32Device> device;
    QByteArray utf8;
};

// A pipe that delivers the given bytes and then fails.
class BrokenPipe final : public QIODevice {
public:
    explicit BrokenPipe(QByteArray data) : m_data(std::move(data))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_data.isEmpty()) {
            setErrorString(u"Input/output error"_qs);
            return -1;
        }
        const qint64 size = std::min<qint64>(maxSize, m_data.size());
        std::copy_n(m_data.constData(), size, data);
        m_data.remove(0, size);
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
};

} // namespace

void TestUtf32Device::transcoded_data()
{
    QTest::addColumn<QList<char32_t>>("codePoints");
    QTest::addColumn<QList<char32_t>>("expected");

    QTest::newRow("oneByte") << QList<char32_t>{0x41, 0x7F} << QList<char32_t>{0x41, 0x7F};
    QTest::newRow("twoBytes") << QList<char32_t>{0x80, 0x7FF} << QList<char32_t>{0x80, 0x7FF};
    QTest::newRow("threeBytes") << QList<char32_t>{0x800, 0xD7FF, 0xE000, 0xFFFD}
                                << QList<char32_t>{0x800, 0xD7FF, 0xE000, 0xFFFD};
    QTest::newRow("fourBytes") << QList<char32_t>{0x10000, 0x10FFFF}
                               << QList<char32_t>{0x10000, 0x10FFFF};
    QTest::newRow("leadingBom") << QList<char32_t>{0xFEFF, 0x41} << QList<char32_t>{0x41};
    QTest::newRow("laterBom") << QList<char32_t>{0x41, 0xFEFF} << QList<char32_t>{0x41, 0xFEFF};
}

void TestUtf32Device::transcoded()
{
    QFETCH(QList<char32_t>, codePoints);
    QFETCH(QList<char32_t>, expected);
    const QByteArray utf8 = QString::fromUcs4(expected.constData(), expected.size()).toUtf8();
    for (const bool bigEndian : {true, false}) {
        const Transcoded transcoded(units(codePoints, bigEndian), bigEndian);
        QCOMPARE(transcoded.utf8, utf8);
        QCOMPARE(transcoded.device->badUnitOffset(), -1);
    }
}

void TestUtf32Device::badUnit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("unit");

    QTest::newRow("surrogateLow") << units({0x41, 0xD800, 0x42}, true) << 1LL
                                  << QByteArray("\0\0\xD8\0", 4);
    QTest::newRow("surrogateHigh")
            << units({0xE9, 0xDFFF}, true) << 2LL << QByteArray("\0\0\xDF\xFF", 4);
    QTest::newRow("tooLarge") << units({0x110000}, true) << 0LL << QByteArray("\0\x11\0\0", 4);
    QTest::newRow("cutShort") << units({0x41}, true) + QByteArray("\0\0\0", 3) << 1LL
                              << QByteArray("\0\0\0", 3);
}

void TestUtf32Device::badUnit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, offset);
    QFETCH(QByteArray, unit);
    const Transcoded transcoded(bytes, true);
    QCOMPARE(transcoded.utf8.size(), offset + 1);
    QCOMPARE(transcoded.utf8.back(), '\xFF');
    QCOMPARE(transcoded.device->badUnitOffset(), offset);
    QCOMPARE(transcoded.device->badUnit(), unit);
}

void TestUtf32Device::badUnitPastFirstRead()
{
    // The position counts what earlier reads of the source delivered.
    QList<char32_t> text{U'<', U'r', U'>'};
    text.append(QList<char32_t>(40000, U'\u00e9'));
    QByteArray xml = units(text, false) + units({0x110000}, false);
    QBuffer input(&xml);
    input.open(QIODevice::ReadOnly);
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    const ConversionResult result = ConvertToCSV(input, &output, u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.reason,
             u"the bytes 0x00 0x00 0x11 0x00 cannot be mapped in the encoding \"UTF-32LE\""_qs);
    QCOMPARE(result.line, 1);
    QCOMPARE(result.column, 40004);
}

void TestUtf32Device::readFailureIsReported()
{
    BrokenPipe input(units({U'<', U'r', U'>'}, true));
    QByteArray written;
    QBuffer output(&written);
    output.open(QIODevice::WriteOnly);
    const ConversionResult result = ConvertToCSV(input, &output, u","_qs);
    QCOMPARE(result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(result.reason, u"Input/output error"_qs);
}

QTEST_GUILESS_MAIN(TestUtf32Device)
#include "tst_utf32device.moc"
