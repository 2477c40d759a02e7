#pragma once

#include <QFile>
#include <QString>

#include <memory>

class QTemporaryFile;

// An output file that replaces its target only when complete. The content goes into a
// temporary file beside the target, which commit() renames over it; until then, and after a
// failure or discard(), the target stays as it was and no temporary file remains. Where the
// target's folder allows no new file but the target itself may be written, the content is
// spooled in the system's temporary folder and copied into the target by commit(), and so is
// the content for a target that is a device or a pipe. Nothing is flushed to the disk: an
// interrupted program leaves no partial file under the target's name, but a power loss may.
class OutputFile {
public:
    explicit OutputFile(QString targetPath);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the temporary file; false with errorString() when the target cannot be written.
    bool open();
    // Where the content goes between open() and commit().
    QIODevice *device();
    // Puts the content in place of the target; false with errorString() on failure. The
    // temporary file is gone either way.
    bool commit();
    // Drops the content and leaves the target untouched.
    void discard();

    // What went wrong, naming the target.
    QString errorString() const { return m_errorString; }

private:
    bool openBeside(QString *reason);
    bool openSpool();
    bool copySpoolIntoTarget();
    void fail(const QString &reason);

    QString m_targetPath;
    QString m_resolvedTarget; // the file a symbolic link at the target leads to
    QFile m_file; // the temporary file beside the target
    std::unique_ptr<QTemporaryFile> m_spool;
    QString m_spoolError;
    QString m_errorString;
};
