#pragma once

#include "conversion/inputkinds.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <sys/stat.h>

// A file opened for reading, straight on the system's calls: one open, one fstat (whose result
// tells the file's identity and size), then reads up to the size it had when opened, or, for
// other files, up to the first end of file. Thousands of small files then cost few system
// calls each.
class InputFile : public QIODevice {
    Q_OBJECT

public:
    explicit InputFile(QString path);
    ~InputFile() override;

    // Opens the file for reading, by the name's bytes (see core/nativename.h); false with
    // errorString() when it cannot be read or is a folder. With RegularFilesOnly, something that
    // is not a regular file is refused before it is opened, and the open itself cannot block.
    bool open(InputKinds kinds = InputKinds::Any);
    const struct stat &status() const { return m_status; }

    bool isSequential() const override;
    qint64 size() const override;
    bool atEnd() const override;
    void close() override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    static constexpr qint64 HeadBytes = 64 * 1024;

    qint64 readAt(char *data, qint64 maxSize, qint64 position);

    QString m_path;
    QByteArray m_head; // the file's first bytes, once something looked at them
    int m_fd = -1;
    struct stat m_status = {};
    bool m_atEnd = false;
};
