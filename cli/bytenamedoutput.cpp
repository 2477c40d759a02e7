#include "cli/bytenamedoutput.h"

#include "conversion/convertfile.h"
#include "core/nativename.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

ConversionResult writeFailure(const QString &outputPath, int errorNumber)
{
    ConversionResult result;
    result.status = ConversionResult::Status::WriteFailed;
    result.reason = QStringLiteral("Cannot write \"%1\": %2")
                            .arg(readableName(outputPath),
                                 QString::fromLocal8Bit(std::strerror(errorNumber)));
    return result;
}

// Creates a new file beside the target; its name goes to temporary. -1 with errno on failure.
int createBeside(const QByteArray &target, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36)
                + ".tmp";
        const int descriptor
                = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

bool copyInto(QFile &from, int descriptor)
{
    while (!from.atEnd()) {
        const QByteArray block = from.read(1 << 20);
        if (block.isEmpty())
            return false;
        for (qsizetype done = 0; done < block.size();) {
            const ssize_t written = ::write(descriptor, block.constData() + done,
                                            static_cast<size_t>(block.size() - done));
            if (written < 0 && errno != EINTR)
                return false;
            done += written > 0 ? written : 0;
        }
    }
    return true;
}

} // namespace

ConversionResult convertToByteNamedFile(const QString &inputPath, const QString &outputPath,
                                        const QString &delimiter, const std::atomic_bool *cancel)
{
    QTemporaryDir spoolFolder;
    if (!spoolFolder.isValid())
        return writeFailure(outputPath, EIO);
    const QString spoolPath = spoolFolder.filePath(QStringLiteral("result.csv"));
    ConversionResult result = convertFile(inputPath, spoolPath, delimiter, cancel);
    if (!result.converted())
        return result;

    QFile spool(spoolPath);
    if (!spool.open(QIODevice::ReadOnly))
        return writeFailure(outputPath, EIO);
    const QByteArray target = encodeNativeName(outputPath);
    QByteArray temporary;
    const int descriptor = createBeside(target, temporary);
    if (descriptor < 0)
        return writeFailure(outputPath, errno);
    const bool copied = copyInto(spool, descriptor);
    const int copyError = errno;
    if (::close(descriptor) != 0 || !copied) {
        const int failure = copied ? errno : copyError;
        ::unlink(temporary.constData());
        return writeFailure(outputPath, failure);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int failure = errno;
        ::unlink(temporary.constData());
        return writeFailure(outputPath, failure);
    }
    return result;
}
