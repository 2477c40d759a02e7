#include "conversion/writetextfile.h"

#include "conversion/files/outputfile.h"
#include "core/failure.h"

void WriteTextFile(const QString &text, const QString &path)
{
    OutputFile file(path);
    if (!file.open())
        throw Failure(file.errorString());
    const QByteArray bytes = text.toUtf8();
    if (file.device()->write(bytes) != bytes.size()) {
        const QString reason
                = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.device()->errorString());
        file.discard();
        throw Failure(reason);
    }
    if (!file.commit())
        throw Failure(file.errorString());
}
