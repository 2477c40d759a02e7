#pragma once

#include "conversion/conversionresult.h"

#include <QString>

#include <atomic>

// Converts the input into an output whose name holds bytes that are not UTF-8, which Qt's file
// classes cannot name: the result is made whole in a temporary folder, copied beside the target
// under a temporary name and renamed over the target, so that the target is replaced only by a
// complete result and no temporary file remains.
ConversionResult convertToByteNamedFile(const QString &inputPath, const QString &outputPath,
                                        const QString &delimiter, const std::atomic_bool *cancel);
