#pragma once

#include <QIODevice>

// A file's open descriptor as a write-only device: every write goes straight to the system.
// QFile would ask the system for the file's status and position when opening it, two calls
// that thousands of small files would each pay for. The descriptor stays open when the device
// closes. Used by nothing else while it is written, so any one thread may write it.
class DescriptorDevice final : public QIODevice {
    Q_OBJECT

public:
    DescriptorDevice() = default;

    // Opens the device over the descriptor.
    void open(int fd);
    // Whether a write has failed since open().
    bool failed() const { return m_failed; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    int m_fd = -1;
    bool m_failed = false;
};
