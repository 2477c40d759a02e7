#include "conversion/outputfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace {

constexpr qint64 copyBlockSize = 1 << 20;

std::filesystem::path toFileSystemPath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

// The target's name in the temporary file's name tells a user what a leftover was meant to
// become; it is cut short so that the whole name stays within the file system's limit.
QString temporaryNameBase(const QString &fileName)
{
    QString base = fileName;
    while (base.toUtf8().size() > 200) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base;
}

} // namespace

OutputFile::OutputFile(QString targetPath) : m_targetPath(std::move(targetPath)) { }

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open()
{
    discard();
    m_errorString.clear();
    const QFileInfo link(m_targetPath);
    m_resolvedTarget = m_targetPath;
    if (link.isSymLink()) {
        // Writing through a link replaces the file it leads to, not the link.
        const QString canonical = link.canonicalFilePath();
        m_resolvedTarget = canonical.isEmpty() ? link.symLinkTarget() : canonical;
    }
    const QFileInfo target(m_resolvedTarget);
    if (target.isDir()) {
        fail(QStringLiteral("a folder has this name"));
        return false;
    }
    const bool exists = target.exists();
    if (exists && !target.isFile()) {
        // A device or a pipe is written, never replaced by a regular file.
        if (openSpool())
            return true;
        fail(m_spoolError);
        return false;
    }
    if (exists) {
        // A file the user may not write stays as it is, although its folder would allow
        // replacing it.
        QFile probe(m_resolvedTarget);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
            fail(probe.errorString());
            return false;
        }
    }
    QString reason;
    if (openBeside(&reason)) {
        if (exists)
            m_file.setPermissions(target.permissions());
        return true;
    }
    if (exists && openSpool())
        return true;
    fail(reason);
    return false;
}

QIODevice *OutputFile::device()
{
    if (m_spool)
        return m_spool.get();
    return &m_file;
}

bool OutputFile::commit()
{
    if (m_spool) {
        const bool copied = copySpoolIntoTarget();
        m_spool.reset();
        return copied;
    }
    if (!m_file.isOpen()) {
        if (m_errorString.isEmpty())
            fail(QStringLiteral("the file was not opened"));
        return false;
    }
    m_file.close();
    const QString temporary = m_file.fileName();
    if (m_file.error() != QFileDevice::NoError) {
        const QString reason = m_file.errorString();
        QFile::remove(temporary);
        fail(reason);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(toFileSystemPath(temporary), toFileSystemPath(m_resolvedTarget), error);
    if (error) {
        QFile::remove(temporary);
        fail(QString::fromStdString(error.message()));
        return false;
    }
    m_file.setFileName(QString());
    return true;
}

void OutputFile::discard()
{
    m_spool.reset();
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
    m_file.setFileName(QString());
}

bool OutputFile::openBeside(QString *reason)
{
    const QFileInfo target(m_resolvedTarget);
    const QString prefix = target.absolutePath() + QLatin1String("/.")
            + temporaryNameBase(target.fileName()) + QLatin1Char('.');
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = prefix
                + QStringLiteral("%1.part").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                QLatin1Char('0'));
        m_file.setFileName(name);
        // NewOnly creates the file with the usual permissions for new files.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!QFileInfo::exists(name))
            break;
    }
    *reason = m_file.errorString();
    m_file.setFileName(QString());
    return false;
}

bool OutputFile::openSpool()
{
    m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath()
                                               + QLatin1String("/quillmere-XXXXXX.spool"));
    if (m_spool->open())
        return true;
    m_spoolError = m_spool->errorString();
    m_spool.reset();
    return false;
}

bool OutputFile::copySpoolIntoTarget()
{
    if (!m_spool->flush() || !m_spool->seek(0)) {
        fail(m_spool->errorString());
        return false;
    }
    // From here on the target is rewritten in place: a failure now leaves it incomplete, as
    // any in-place write would.
    QFile target(m_resolvedTarget);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly
                     | QIODevice::Unbuffered)) {
        fail(target.errorString());
        return false;
    }
    QByteArray block(copyBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 size = m_spool->read(block.data(), block.size());
        if (size < 0) {
            fail(m_spool->errorString());
            return false;
        }
        if (size == 0)
            break;
        if (target.write(block.constData(), size) != size) {
            fail(target.errorString());
            return false;
        }
    }
    target.close();
    if (target.error() != QFileDevice::NoError) {
        fail(target.errorString());
        return false;
    }
    return true;
}

void OutputFile::fail(const QString &reason)
{
    m_errorString = QStringLiteral("Cannot write \"%1\": %2").arg(m_targetPath, reason);
}
