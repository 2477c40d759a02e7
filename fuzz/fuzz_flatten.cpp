// libFuzzer target over ConvertToCSV. The input's first bytes choose the delimiter, whether the
// output is written or only checked, and the sizes of the short reads the document arrives in;
// the rest is the document. The same document read in one piece must give the same outcome and
// output: a difference is a fault at a chunk boundary and stops the fuzzer.
//
// Layout: flags (bits 0-2 delimiter length 0-7, bit 3 parse only), the delimiter's bytes
// (UTF-8), a count byte (1-8 read sizes), the read sizes (0 means 64 KiB), the document.

#include "conversion/flatten.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A device that hands its data out in reads of the given sizes, in turn.
class ChoppyDevice final : public QIODevice {
public:
    ChoppyDevice(QByteArray data, std::vector<qint64> sizes)
        : m_data(std::move(data)), m_sizes(std::move(sizes))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_data.size() - m_position + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 size = std::min(
                {maxSize, m_sizes[m_next++ % m_sizes.size()], qint64(m_data.size()) - m_position});
        std::memcpy(data, m_data.constData() + m_position, size_t(size));
        m_position += size;
        return size;
    }

    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    std::vector<qint64> m_sizes;
    size_t m_next = 0;
    qint64 m_position = 0;
};

struct Run {
    ConversionResult result;
    QByteArray output;
};

Run convert(QIODevice &input, const QString &delimiter, bool parseOnly)
{
    Run run;
    QBuffer output(&run.output);
    output.open(QIODevice::WriteOnly);
    run.result = ConvertToCSV(input, parseOnly ? nullptr : &output, delimiter);
    return run;
}

void describe(const char *how, const Run &run)
{
    std::fprintf(stderr,
                 "%s: status %d, reason \"%s\", line %lld, column %lld, %lld output bytes\n", how,
                 static_cast<int>(run.result.status), qPrintable(run.result.reason),
                 static_cast<long long>(run.result.line), static_cast<long long>(run.result.column),
                 static_cast<long long>(run.output.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const char *end = bytes + size;
    if (size < 2)
        return 0;

    const int flags = static_cast<unsigned char>(*bytes++);
    const bool parseOnly = (flags & 8) != 0;
    const qsizetype delimiterLength = std::min<qsizetype>(flags & 7, end - bytes);
    const QString delimiter = QString::fromUtf8(bytes, delimiterLength);
    bytes += delimiterLength;

    std::vector<qint64> sizes;
    if (bytes < end) {
        const int count = static_cast<unsigned char>(*bytes++) % 8 + 1;
        for (int i = 0; i < count && bytes < end; ++i) {
            const int sizeByte = static_cast<unsigned char>(*bytes++);
            sizes.push_back(sizeByte == 0 ? 65536 : sizeByte);
        }
    }
    if (sizes.empty())
        sizes.push_back(1);
    const QByteArray document(bytes, end - bytes);

    QByteArray whole = document;
    QBuffer wholeInput(&whole);
    wholeInput.open(QIODevice::ReadOnly);
    const Run reference = convert(wholeInput, delimiter, parseOnly);

    ChoppyDevice choppyInput(document, sizes);
    const Run chunked = convert(choppyInput, delimiter, parseOnly);

    // Expat itself may name a different error, or place it elsewhere, when a document that is
    // not well-formed arrives in other pieces ("." and then a NUL byte is an invalid token, both
    // in one piece a syntax error), so only the outcome and the output must agree.
    if (chunked.result.status != reference.result.status || chunked.output != reference.output) {
        describe("read in one piece", reference);
        describe("read in short pieces", chunked);
        std::abort();
    }
    if (reference.result.converted() && !reference.output.isEmpty()
        && !reference.output.endsWith("\r\n"))
        std::abort();
    return 0;
}
