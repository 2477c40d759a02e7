#include "conversion/writetextfile.h"

#include "shell/failure.h"

#include <QFile>

void WriteTextFile(const QString &text, const QString &path)
{
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw Failure(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}
