#pragma once

#include "conversion/conversionresult.h"
#include "conversion/csvformat.h"
#include "conversion/inputkinds.h"
#include "conversion/threadplan.h"

#include <QString>

class QIODevice;

#include <atomic>

// Converts one XML file into its delimited-text file. The output replaces an earlier file only
// when the whole document was converted; a document that is not well-formed, a failed write or
// a cancel leaves any earlier output untouched and no partial file behind. An input of a kind
// not accepted is reported as unreadable.
ConversionResult convertFile(const QString &inputPath, const QString &outputPath,
                             const QString &delimiter, const std::atomic_bool *cancel = nullptr,
                             InputKinds inputKinds = InputKinds::Any);
// The same, with the lines written as format asks and the walk on the thread the plan says.
ConversionResult convertFile(const QString &inputPath, const QString &outputPath,
                             const CsvFormat &format, const std::atomic_bool *cancel = nullptr,
                             InputKinds inputKinds = InputKinds::Any,
                             ThreadPlan plan = ThreadPlan::Automatic);

// Converts one XML file and writes the lines to out as they are made, as any filter does: a
// document that turns out not to be well-formed ends the output where it stands.
ConversionResult convertFileToStream(const QString &inputPath, QIODevice &out,
                                     const CsvFormat &format,
                                     const std::atomic_bool *cancel = nullptr);
