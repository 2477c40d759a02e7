#pragma once

#include <QIODevice>

// Standard input, read as it arrives: a read gives what has come so far and waits only while
// nothing has, so that a live feed is converted as it is fed.
class StandardInput final : public QIODevice {
public:
    StandardInput();

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }
};

// Standard output, unbuffered, so that a failed write shows in the run's own result. A reader
// that has closed the pipe ends the program quietly, as it ends any filter: unfinished outputs
// are removed and the exit status is 128 + SIGPIPE.
class StandardOutput final : public QIODevice {
public:
    StandardOutput();

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;
};
