#pragma once

#include "conversion/flatten.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>

// What ConvertToCSV made of a document held in memory.
struct Flattened {
    ConversionResult result;
    QByteArray output;
};

inline Flattened flattenBytes(const QByteArray &xml, const QString &delimiter)
{
    QByteArray source = xml;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    Flattened flattened;
    QBuffer output(&flattened.output);
    output.open(QIODevice::WriteOnly);
    flattened.result = ConvertToCSV(input, &output, delimiter);
    return flattened;
}

// The expected output: every line in UTF-8, each followed by CR LF.
inline QByteArray crlfLines(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + "\r\n";
    return text;
}
