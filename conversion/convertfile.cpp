#include "conversion/convertfile.h"

#include "conversion/files/inputfile.h"
#include "conversion/files/outputfile.h"
#include "conversion/flatten.h"

ConversionResult convertFile(const QString &inputPath, const QString &outputPath,
                             const QString &delimiter, const std::atomic_bool *cancel,
                             InputKinds inputKinds)
{
    CsvFormat format;
    format.delimiter = delimiter;
    return convertFile(inputPath, outputPath, format, cancel, inputKinds);
}

ConversionResult convertFile(const QString &inputPath, const QString &outputPath,
                             const CsvFormat &format, const std::atomic_bool *cancel,
                             InputKinds inputKinds, ThreadPlan plan)
{
    InputFile input(inputPath);
    if (!input.open(inputKinds)) {
        ConversionResult result;
        result.status = ConversionResult::Status::LoadFailed;
        result.reason = input.errorString();
        return result;
    }
    OutputFile output(outputPath);
    if (!output.open(&input.status())) {
        // A document that is not well-formed is reported as such, even when its output
        // could not have been written either.
        ConversionResult result = ConvertToCSV(input, nullptr, format, cancel);
        if (result.converted()) {
            result.status = ConversionResult::Status::WriteFailed;
            result.reason = output.errorString();
        }
        return result;
    }
    ConversionResult result = ConvertToCSV(input, output.device(), format, cancel, plan);
    if (result.status == ConversionResult::Status::WriteFailed) {
        result.reason = QStringLiteral("Cannot write \"%1\": %2")
                                .arg(outputPath, output.device()->errorString());
    }
    if (!result.converted()) {
        output.discard();
        return result;
    }
    if (!output.commit()) {
        result.status = ConversionResult::Status::WriteFailed;
        result.reason = output.errorString();
    }
    return result;
}

ConversionResult convertFileToStream(const QString &inputPath, QIODevice &out,
                                     const CsvFormat &format, const std::atomic_bool *cancel)
{
    InputFile input(inputPath);
    if (!input.open()) {
        ConversionResult result;
        result.status = ConversionResult::Status::LoadFailed;
        result.reason = input.errorString();
        return result;
    }
    return ConvertToCSV(input, &out, format, cancel, ThreadPlan::Automatic);
}
