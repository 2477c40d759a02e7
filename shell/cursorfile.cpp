#include "shell/cursorfile.h"

#include "core/applicationfolder.h"
#include "core/failure.h"
#include "core/pathhelpers.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace Main {

namespace {

// The icon directory (reserved, type, count) and its first entry; a cursor entry keeps the
// hotspot where an icon entry keeps its planes and bit count.
constexpr qsizetype HeaderSize = 6 + 16;
constexpr quint16 CursorType = 2;

quint16 word(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

Failure notACursor(const QString &path)
{
    return Failure(QStringLiteral("Cannot load the pointer %1: it is not a cursor file").arg(path));
}

} // namespace

QString handCursorPath()
{
    return applicationFolder() + pathSeparator() + QStringLiteral("HAND-M.CUR");
}

QPoint cursorFileHotspot(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(
                QStringLiteral("Cannot load the pointer %1: %2").arg(path, file.errorString()));
    const QByteArray header = file.read(HeaderSize);
    if (header.size() < HeaderSize || word(header, 0) != 0 || word(header, 2) != CursorType
        || word(header, 4) == 0)
        throw notACursor(path);
    return QPoint(word(header, 10), word(header, 12));
}

QCursor loadCursorFile(const QString &path)
{
    const QPoint hotspot = cursorFileHotspot(path);
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(
                QStringLiteral("Cannot load the pointer %1: %2").arg(path, reader.errorString()));
    const QPoint inside(qBound(0, hotspot.x(), image.width() - 1),
                        qBound(0, hotspot.y(), image.height() - 1));
    return QCursor(QPixmap::fromImage(image), inside.x(), inside.y());
}

} // namespace Main
