#include "flattentesting.h"

#include <QTest>

#include <cstdlib>
#include <new>

// Memory exhaustion inside the walk: the program's allocations fail above a size while armed.
namespace {
std::size_t failAbove = 0;
}

void *operator new(std::size_t size)
{
    if (failAbove != 0 && size > failAbove)
        throw std::bad_alloc();
    if (void *memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

void *operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete[](void *memory) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, std::size_t) noexcept
{
    std::free(memory);
}

class TestFlattenWalkFailure : public QObject {
    Q_OBJECT

private slots:
    void reportsTheStep_data();
    void reportsTheStep();
    void longValuesAreNotHeld_data();
    void longValuesAreNotHeld();
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

QTEST_GUILESS_MAIN(TestFlattenWalkFailure)
#include "tst_flatten_walkfailure.moc"
