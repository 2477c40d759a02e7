#pragma once

#include "conversion/flatten.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>

// What ConvertToCSV made of a document held in memory.
struct Flattened {
    ConversionResult result;
    QByteArray output;
};

// The walk on a thread of its own gives the same result and the same bytes as on the parser's.
inline void verifySameWithTwoThreads(const Flattened &one, const Flattened &two)
{
    const bool same = one.result.status == two.result.status
            && one.result.reason == two.result.reason && one.result.line == two.result.line
            && one.result.column == two.result.column && one.result.step == two.result.step
            && one.result.linesWritten == two.result.linesWritten && one.output == two.output;
    if (!same) {
        QTest::qFail(qPrintable(QStringLiteral("two threads: %1 at %2:%3 (step %4), %5 bytes; "
                                               "one thread: %6 at %7:%8 (step %9), %10 bytes")
                                        .arg(two.result.reason)
                                        .arg(two.result.line)
                                        .arg(two.result.column)
                                        .arg(two.result.step)
                                        .arg(two.output.size())
                                        .arg(one.result.reason)
                                        .arg(one.result.line)
                                        .arg(one.result.column)
                                        .arg(one.result.step)
                                        .arg(one.output.size())),
                     __FILE__, __LINE__);
    }
}

inline Flattened flattenBytes(const QByteArray &xml, const CsvFormat &format, ThreadPlan plan)
{
    QByteArray source = xml;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    Flattened flattened;
    QBuffer output(&flattened.output);
    output.open(QIODevice::WriteOnly);
    flattened.result = ConvertToCSV(input, &output, format, nullptr, plan);
    return flattened;
}

// Flattens on one thread and checks that two give the same.
inline Flattened flattenBytes(const QByteArray &xml, const CsvFormat &format)
{
    const Flattened flattened = flattenBytes(xml, format, ThreadPlan::OneThread);
    verifySameWithTwoThreads(flattened, flattenBytes(xml, format, ThreadPlan::TwoThreads));
    return flattened;
}

inline CsvFormat plainFormat(const QString &delimiter)
{
    CsvFormat format;
    format.delimiter = delimiter;
    return format;
}

inline Flattened flattenBytes(const QByteArray &xml, const QString &delimiter)
{
    return flattenBytes(xml, plainFormat(delimiter));
}

// Checks that the document is refused as not well-formed, with the reason and the position.
inline void verifyRefused(const QByteArray &xml, const QString &reason, qint64 line, qint64 column)
{
    const Flattened flattened = flattenBytes(xml, QStringLiteral(","));
    QCOMPARE(flattened.result.status, ConversionResult::Status::LoadFailed);
    QCOMPARE(flattened.result.reason, reason);
    QCOMPARE(flattened.result.line, line);
    QCOMPARE(flattened.result.column, column);
}

// A sequential input that hands out its bytes a few at a time, as a pipe might.
class TrickleDevice final : public QIODevice {
public:
    explicit TrickleDevice(QByteArray data) : m_data(std::move(data))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    qint64 consumed() const { return m_position; }
    std::function<void()> onRead;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (onRead)
            onRead();
        const qint64 size
                = std::min<qint64>({maxSize, m_data.size() - m_position, 1 + m_position % 7});
        std::memcpy(data, m_data.constData() + m_position, static_cast<size_t>(size));
        m_position += size;
        return size;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_position = 0;
};

inline Flattened flattenTrickled(const QByteArray &xml, const CsvFormat &format, ThreadPlan plan)
{
    TrickleDevice input(xml);
    Flattened flattened;
    QBuffer output(&flattened.output);
    output.open(QIODevice::WriteOnly);
    flattened.result = ConvertToCSV(input, &output, format, nullptr, plan);
    return flattened;
}

// What ConvertToCSV made of a document that arrived a few bytes at a time, on one thread and,
// the same, on two.
inline Flattened flattenTrickled(const QByteArray &xml, const CsvFormat &format)
{
    const Flattened flattened = flattenTrickled(xml, format, ThreadPlan::OneThread);
    // On two threads every read of a few bytes inside a comment is a hand-over between the
    // threads; past a few thousand reads that costs minutes on a busy machine and proves no
    // more than flattenBytes() does for the same document.
    if (xml.size() <= 64 * 1024)
        verifySameWithTwoThreads(flattened, flattenTrickled(xml, format, ThreadPlan::TwoThreads));
    return flattened;
}

inline Flattened flattenTrickled(const QByteArray &xml, const QString &delimiter)
{
    return flattenTrickled(xml, plainFormat(delimiter));
}

// The expected output: every line in UTF-8, each followed by CR LF.
inline QByteArray crlfLines(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + "\r\n";
    return text;
}
