#include "flattentesting.h"

#include <QTest>

#include <QRandomGenerator>

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

// Memory exhaustion inside the walk: the program's allocations fail above a size, or once all
// it holds would pass a total, while armed. The C allocator's cap also reaches the parser's
// own buffers.
namespace {
std::size_t failAbove = 0;
std::size_t cFailAbove = 0;
long long heldLimit = 0; // what operator new may hand out beyond heldBase
long long heldBase = 0;
// What operator new has handed out and not taken back, on every thread of a conversion.
std::atomic<long long> held = 0;
} // namespace

// The address sanitizer brings its own C allocator, which must stay whole.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLMERE_OWN_C_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMERE_OWN_C_ALLOCATOR 0
#endif
#endif
#ifndef QUILLMERE_OWN_C_ALLOCATOR
#define QUILLMERE_OWN_C_ALLOCATOR 1
#endif

#if QUILLMERE_OWN_C_ALLOCATOR
extern "C" void *__libc_malloc(std::size_t size) noexcept;
extern "C" void *__libc_realloc(void *memory, std::size_t size) noexcept;

extern "C" void *malloc(std::size_t size) noexcept
{
    if (cFailAbove != 0 && size > cFailAbove)
        return nullptr;
    return __libc_malloc(size);
}

extern "C" void *realloc(void *memory, std::size_t size) noexcept
{
    if (cFailAbove != 0 && size > cFailAbove)
        return nullptr;
    return __libc_realloc(memory, size);
}
#endif

// An output that keeps only the length and the ends of what is written to it.
class EndsDevice final : public QIODevice {
public:
    EndsDevice() { open(QIODevice::WriteOnly); }
    qint64 written = 0;
    QByteArray head;
    QByteArray tail;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const QByteArrayView piece(data, size);
        if (head.size() < 32)
            head += piece.first(std::min<qint64>(size, 32 - head.size()));
        tail.append(piece.last(std::min<qint64>(size, 32)));
        tail = tail.right(32);
        written += size;
        return size;
    }
};

void *operator new(std::size_t size)
{
    if (failAbove != 0 && size > failAbove)
        throw std::bad_alloc();
    if (heldLimit != 0 && held - heldBase + static_cast<long long>(size) > heldLimit)
        throw std::bad_alloc();
    void *memory = std::malloc(size == 0 ? 1 : size);
    if (!memory)
        throw std::bad_alloc();
    held += static_cast<long long>(malloc_usable_size(memory));
    return memory;
}

void operator delete(void *memory) noexcept
{
    if (memory)
        held -= static_cast<long long>(malloc_usable_size(memory));
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    operator delete(memory);
}

void *operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete[](void *memory) noexcept
{
    operator delete(memory);
}

void operator delete[](void *memory, std::size_t) noexcept
{
    operator delete(memory);
}

class TestFlattenWalkFailure : public QObject {
    Q_OBJECT

private slots:
    void reportsTheStep_data();
    void reportsTheStep();
    void longValuesAreNotHeld_data();
    void longValuesAreNotHeld();
    void longRunsAreNotHeld_data();
    void longRunsAreNotHeld();
};

void TestFlattenWalkFailure::reportsTheStep_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("step");
    const QByteArray large(3 << 20, 'x');
    QTest::newRow("childName") << "<r><" + large + "/></r>" << 114;
}

void TestFlattenWalkFailure::reportsTheStep()
{
    QFETCH(QByteArray, xml);
    QFETCH(int, step);
    failAbove = 2 << 20;
    const Flattened flattened = flattenBytes(xml, u","_qs);
    failAbove = 0;
    QCOMPARE(flattened.result.status, ConversionResult::Status::WalkFailed);
    QCOMPARE(flattened.result.step, step);
    QCOMPARE(flattened.result.reason, u"Out of memory"_qs);
    QVERIFY(flattened.output.isEmpty());
}

void TestFlattenWalkFailure::longValuesAreNotHeld_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QByteArray>("lines");
    const QByteArray large(3 << 20, 'x');
    QTest::newRow("textValue") << "<r><a> " + large + "</a></r>"
                               << "r,a, " + large + "\r\n";
    const QByteArray indents = QByteArray("\n    ").repeated(1 << 20);
    QTest::newRow("leadingBlanks") << "<r><a>" + indents + "v</a></r>"
                                   << "r,a," + indents + "v\r\n";
    QTest::newRow("onlyBlanks") << "<r>" + indents + "<a/>" + indents + "</r>"
                                << QByteArray("r,a,\r\n");
    QTest::newRow("entityExpansion") << "<!DOCTYPE r [<!ENTITY a '" + QByteArray(1000, 'x')
                    + "'>]><r>" + QByteArray("&a;").repeated(3000) + "</r>"
                                     << "r," + QByteArray(3000000, 'x') + "\r\n";
    QTest::newRow("cdataValue") << "<r><![CDATA[" + large + "]]></r>"
                                << "r,#cdata-section," + large + "\r\n";
}

// Values are written as they arrive, so no allocation grows with their length.
void TestFlattenWalkFailure::longValuesAreNotHeld()
{
    QFETCH(QByteArray, xml);
    QFETCH(QByteArray, lines);
    failAbove = 2 << 20;
    const Flattened flattened = flattenBytes(xml, u","_qs);
    failAbove = 0;
    QVERIFY2(flattened.result.converted(), qPrintable(flattened.result.reason));
    QCOMPARE(flattened.output, lines);
}

void TestFlattenWalkFailure::longRunsAreNotHeld_data()
{
    QTest::addColumn<QByteArray>("open");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("close");
    QTest::addColumn<QByteArray>("written"); // the line as written, from its body on
    const QByteArray letters(3 << 20, 'x');
    // A comment is written in pieces like the other values: the parser holds a few reads of it.
    QTest::newRow("comment") << QByteArray("<r><!--") << letters << QByteArray("--></r>")
                             << letters + "\r\n";
    QTest::newRow("commentOfCarriageReturns")
            << QByteArray("<r><!--") << QByteArray(3 << 20, '\r') << QByteArray("--></r>")
            << QByteArray(3 << 20, '\n') + "\r\n";
    // Blanks that repeat no pattern are held aside until the text shows it has a value.
    QRandomGenerator random(5);
    QByteArray blanks(8 << 20, ' ');
    for (char &blank : blanks)
        blank = " \t\n"[random.bounded(3)];
    QTest::newRow("randomBlanksBeforeText")
            << QByteArray("<r>") << blanks << QByteArray("v</r>") << blanks + "v\r\n";
}

// Nothing grows with the length of a value, a comment or a run of blanks: a C allocation over
// 2 MiB fails, and so does any allocation of the program's own once it holds 4 MiB.
void TestFlattenWalkFailure::longRunsAreNotHeld()
{
    QFETCH(QByteArray, open);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, close);
    QFETCH(QByteArray, written);
    if (!QUILLMERE_OWN_C_ALLOCATOR)
        QSKIP("the address sanitizer's allocator cannot be capped here");
    QByteArray xml = open + body + close;
    QBuffer input(&xml);
    input.open(QIODevice::ReadOnly);
    EndsDevice output;
    cFailAbove = 2 << 20;
    heldBase = held;
    heldLimit = 4 << 20;
    const ConversionResult result = ConvertToCSV(input, &output, u","_qs);
    heldLimit = 0;
    cFailAbove = 0;
    QVERIFY2(result.converted(), qPrintable(result.reason));
    const QByteArray lineStart = open.startsWith("<r><!--") ? "r,#comment," : "r,";
    QCOMPARE(output.written, lineStart.size() + written.size());
    QCOMPARE(output.head, QByteArray(lineStart + written).left(32));
    QCOMPARE(output.tail, written.right(32));
}

QTEST_GUILESS_MAIN(TestFlattenWalkFailure)
#include "tst_flatten_walkfailure.moc"
