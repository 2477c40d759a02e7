#pragma once

#include "conversion/files/descriptordevice.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// An output file that replaces its target only when complete. The content goes into an unnamed
// file in the target's folder, which commit() links in under the target's name; where the file
// system has no unnamed files, a hidden temporary file beside the target takes its place. Until
// commit(), and after a failure or discard(), the target stays as it was and nothing named is
// left behind. A replaced target keeps its mode, its user attributes, and its owner, group and
// ACL where the process may set them; hard links to it keep the earlier content, as with any
// safe save. A hidden temporary file has the target's final mode from its creation on.
//
// Only a regular file or a free name is written, on every path: a symbolic link at the target's
// name is never followed, and a pipe, socket or device is never opened. Where the target's
// folder allows no new file but the target itself may be written, the content waits in the
// system's temporary folder and commit() rewrites the target in place, after reserving room for
// all of it, so that lack of room never cuts the earlier content short; a catchable signal
// waits for the rewrite, but SIGKILL or a crash during it leaves the target part new, part old.
// Nothing is flushed to the disk: an interrupted program leaves no partial file under the
// target's name otherwise, but a power loss may.
class OutputFile {
public:
    explicit OutputFile(QString targetPath);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Prepares the content's file; false with errorString() when the target cannot be written.
    // The file source describes is never replaced: an input is never its own output.
    bool open(const struct stat *source = nullptr);
    // Where the content goes between open() and commit().
    QIODevice *device();
    // Puts the content in place of the target; false with errorString() on failure. No
    // temporary file remains either way.
    bool commit();
    // Drops the content and leaves the target untouched.
    void discard();

    // What went wrong, naming the target.
    QString errorString() const { return m_errorString; }

private:
    enum class Mode { Closed, Unnamed, Named, InPlace };

    bool lookAtTarget();
    bool checkTarget();
    bool openUnnamed(const QByteArray &folder, int *error);
    bool openNamed(int *error);
    bool openSpool();
    mode_t replacementMode(bool ownershipKept) const;
    void keepOwnership();
    bool linkUnnamed();
    bool replaceWithNamed();
    bool rewriteInPlace();
    void closeFile();
    bool fail(const QString &reason);
    bool failWithErrno(int error);

    QString m_targetPath;
    QByteArray m_target; // the target's name as the system sees it
    bool m_hasSource = false;
    struct stat m_source = {}; // the input, which is never replaced by its own output
    bool m_targetExists = false;
    struct stat m_targetStatus = {};
    Mode m_mode = Mode::Closed;
    int m_fd = -1;
    QByteArray m_temporaryName; // Mode::Named only
    DescriptorDevice m_device;
    QString m_errorString;
};
