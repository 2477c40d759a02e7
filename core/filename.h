#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

// The name of a file as the system keeps it: bytes, mostly UTF-8. Every path that crosses a
// boundary of the program (arguments, file lists, folder scans, drops, the list's rows, the
// jobs of a run) is a FileName, so that a name that is not UTF-8 reaches the file system with
// its own bytes. What a person reads is its display form.
class FileName {
public:
    FileName() = default;

    static FileName fromBytes(QByteArrayView bytes);
    // From the text form of a name (see path()); text from elsewhere is taken as its UTF-8 bytes.
    static FileName fromPath(QString path);

    // The bytes the system knows the file by.
    QByteArray bytes() const;
    // The text form the path helpers work on: each byte that is not part of valid UTF-8 is
    // held as a lone surrogate (see nativename.h), so the text turns back into the same bytes.
    const QString &path() const { return m_path; }
    // What a person reads: stray bytes and control characters written as \xHH.
    QString display() const;

    bool isEmpty() const { return m_path.isEmpty(); }
    friend bool operator==(const FileName &, const FileName &) = default;

private:
    explicit FileName(QString path) : m_path(std::move(path)) { }

    QString m_path;
};

// True when the name leads to a folder (following links), asked by its bytes.
bool isExistingFolder(const FileName &name);

// True when a new file can be made in the folder. Tried for real, with a file that has no name
// where the file system allows one, so nothing shows in the folder meanwhile.
bool folderAcceptsNewFile(const FileName &folder);

// The names of several paths given as text forms.
QList<FileName> fileNamesFromPaths(const QStringList &paths);

Q_DECLARE_METATYPE(FileName)
