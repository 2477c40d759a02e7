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

inline Flattened flattenBytes(const QByteArray &xml, const CsvFormat &format)
{
    QByteArray source = xml;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    Flattened flattened;
    QBuffer output(&flattened.output);
    output.open(QIODevice::WriteOnly);
    flattened.result = ConvertToCSV(input, &output, format);
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

// What ConvertToCSV made of a document that arrived a few bytes at a time.
inline Flattened flattenTrickled(const QByteArray &xml, const CsvFormat &format)
{
    TrickleDevice input(xml);
    Flattened flattened;
    QBuffer output(&flattened.output);
    output.open(QIODevice::WriteOnly);
    flattened.result = ConvertToCSV(input, &output, format);
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
