#include "conversion/convertfile.h"

#include "conversion/flatten.h"

#include <QFile>

ConversionResult convertFile(const QString &inputPath, const QString &outputPath,
                             const QString &delimiter, const std::atomic_bool *cancel)
{
    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly)) {
        ConversionResult result;
        result.status = ConversionResult::Status::LoadFailed;
        result.reason = input.errorString();
        return result;
    }
    QFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly)) {
        ConversionResult result;
        result.status = ConversionResult::Status::WriteFailed;
        result.reason = output.errorString();
        return result;
    }
    return ConvertToCSV(input, &output, delimiter, cancel);
}
