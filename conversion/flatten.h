#pragma once

#include "conversion/conversionresult.h"
#include "conversion/csvformat.h"
#include "conversion/threadplan.h"

#include <QString>

#include <atomic>

class QIODevice;

// Flattens the XML document read from input into delimited lines (UTF-8, CR LF after every
// line) written to output, streaming: memory stays bounded by the nesting depth and the longest
// value. A null output only checks that the document is well-formed. Never throws.
ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const QString &delimiter,
                              const std::atomic_bool *cancel = nullptr);
// The same, with the lines written as format asks, and the walk on the thread the plan says.
// The result and the output are the same with every plan.
ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const CsvFormat &format,
                              const std::atomic_bool *cancel = nullptr,
                              ThreadPlan plan = ThreadPlan::OneThread);
