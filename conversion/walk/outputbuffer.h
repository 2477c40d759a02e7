#pragma once

#include "conversion/walk/bytebuffer.h"

#include <QString>

#include <atomic>
#include <memory>
#include <string_view>

class QIODevice;

// Collects output bytes in a large buffer and hands them to the device in few, large writes.
// For a file, and when asked, a full buffer is written by a second thread while the next one
// fills, so that the system's copying overlaps the parsing. After a failed write it keeps
// accepting bytes and drops them; failed() and errorString() tell what went wrong. A null
// device drops everything.
class OutputBuffer {
public:
    enum class Writes { InBackground, Here };
    static constexpr std::size_t defaultCapacity = 1 << 20;

    explicit OutputBuffer(QIODevice *device, std::size_t capacity = defaultCapacity,
                          Writes writes = Writes::InBackground);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer &) = delete;
    OutputBuffer &operator=(const OutputBuffer &) = delete;

    void append(const char *data, std::size_t size)
    {
        if (size <= m_capacity - m_used) {
            copyBytes(m_current + m_used, data, size);
            m_used += size;
        } else {
            appendLarge(data, size);
        }
    }
    void append(std::string_view bytes) { append(bytes.data(), bytes.size()); }

    // Writes out everything appended so far and waits for it; false when any write failed.
    bool flush();

    bool failed() const { return m_failed.load(std::memory_order_relaxed); }
    // Valid after flush().
    QString errorString() const { return m_errorString; }

private:
    class Writer;

    void appendLarge(const char *data, std::size_t size);
    void handOff();
    void waitForWriter();
    void writeOut(const char *data, std::size_t size);

    QIODevice *m_device;
    std::size_t m_capacity;
    std::size_t m_maxCapacity;
    std::unique_ptr<char[]> m_buffers[2];
    char *m_current;
    std::size_t m_used = 0;
    bool m_writeInBackground;
    std::unique_ptr<Writer> m_writer;
    std::atomic_bool m_failed = false;
    QString m_errorString;
};
