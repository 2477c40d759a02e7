#include "conversion/flatten.h"

#include <QIODevice>

#include <expat.h>

#include <vector>

namespace {

struct Walk {
    XML_Parser parser = nullptr;
    QByteArray delimiter;
    QByteArray path;
    QByteArray text;
    QByteArray out;
    QIODevice *output = nullptr;
    int depth = 0;
    std::vector<int> pathLengths;
};

} // namespace

ConversionResult ConvertToCSV(QIODevice &input, QIODevice *output, const QString &delimiter,
                              const std::atomic_bool *cancel)
{
    Q_UNUSED(delimiter);
    ConversionResult result;
    XML_Parser parser = XML_ParserCreate(nullptr);
    char buffer[65536];
    for (;;) {
        if (cancel && *cancel) {
            result.status = ConversionResult::Status::Cancelled;
            break;
        }
        const qint64 n = input.read(buffer, sizeof buffer);
        if (n < 0) {
            result.status = ConversionResult::Status::LoadFailed;
            result.reason = input.errorString();
            break;
        }
        if (XML_Parse(parser, buffer, static_cast<int>(n), n == 0) == XML_STATUS_ERROR) {
            result.status = ConversionResult::Status::LoadFailed;
            result.reason = QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser)));
            result.line = static_cast<qint64>(XML_GetErrorLineNumber(parser));
            result.column = static_cast<qint64>(XML_GetErrorColumnNumber(parser)) + 1;
            break;
        }
        if (n == 0)
            break;
    }
    XML_ParserFree(parser);
    Q_UNUSED(output);
    return result;
}
