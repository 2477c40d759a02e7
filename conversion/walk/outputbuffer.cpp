#include "conversion/walk/outputbuffer.h"

#include "conversion/files/descriptordevice.h"

#include <QFileDevice>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

constexpr std::size_t initialCapacity = 16 * 1024;

} // namespace

class OutputBuffer::Writer {
public:
    explicit Writer(OutputBuffer &buffer) : m_thread([this, &buffer] { run(buffer); }) { }

    ~Writer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    void start(const char *data, std::size_t size)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_data = data;
            m_size = size;
            m_busy = true;
        }
        m_changed.notify_all();
    }

    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_busy; });
    }

private:
    void run(OutputBuffer &buffer)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_busy || m_stop; });
            if (!m_busy)
                return;
            lock.unlock();
            buffer.writeOut(m_data, m_size);
            lock.lock();
            m_busy = false;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    const char *m_data = nullptr;
    std::size_t m_size = 0;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread; // last: it starts running once everything above exists
};

OutputBuffer::OutputBuffer(QIODevice *device, std::size_t capacity, Writes writes)
    : m_device(device),
      m_capacity(std::min(capacity, initialCapacity)),
      m_maxCapacity(capacity),
      m_buffers{std::unique_ptr<char[]>(new char[m_capacity]), nullptr},
      m_current(m_buffers[0].get()),
      // A file's device is used by nothing else while the walk runs, so another thread may
      // write it; other devices (sockets, processes) belong to their own thread.
      m_writeInBackground(writes == Writes::InBackground
                          && (qobject_cast<QFileDevice *>(device) != nullptr
                              || qobject_cast<DescriptorDevice *>(device) != nullptr))
{
}

OutputBuffer::~OutputBuffer()
{
    // The writer may still be at work on a buffer and report into the members below it.
    m_writer.reset();
}

bool OutputBuffer::flush()
{
    if (m_writer) {
        handOff();
        waitForWriter();
    } else {
        writeOut(m_current, m_used);
        m_used = 0;
    }
    return !failed();
}

void OutputBuffer::appendLarge(const char *data, std::size_t size)
{
    // The buffer grows to its full size before its first write: small outputs take little
    // memory, large ones no more writes.
    while (m_capacity < m_maxCapacity && size > m_capacity - m_used) {
        const std::size_t capacity = std::min(m_capacity * 2, m_maxCapacity);
        std::unique_ptr<char[]> grown(new char[capacity]);
        std::memcpy(grown.get(), m_current, m_used);
        m_buffers[0] = std::move(grown);
        m_current = m_buffers[0].get();
        m_capacity = capacity;
    }
    if (size <= m_capacity - m_used) {
        copyBytes(m_current + m_used, data, size);
        m_used += size;
        return;
    }
    const std::size_t room = m_capacity - m_used;
    copyBytes(m_current + m_used, data, room);
    m_used = m_capacity;
    data += room;
    size -= room;
    if (m_writeInBackground) {
        handOff();
    } else {
        writeOut(m_current, m_used);
        m_used = 0;
    }
    if (size >= m_capacity) {
        // A value larger than the buffer goes out directly, after what came before it.
        waitForWriter();
        writeOut(data, size);
        return;
    }
    copyBytes(m_current, data, size);
    m_used = size;
}

void OutputBuffer::handOff()
{
    waitForWriter();
    if (m_used == 0 || failed() || !m_device) {
        m_used = 0;
        return;
    }
    if (!m_writer) {
        try {
            m_buffers[1].reset(new char[m_capacity]);
            m_writer = std::make_unique<Writer>(*this);
        } catch (const std::system_error &) {
            // No thread to be had: write in this one.
            m_writeInBackground = false;
            writeOut(m_current, m_used);
            m_used = 0;
            return;
        }
    }
    m_writer->start(m_current, m_used);
    m_current = m_current == m_buffers[0].get() ? m_buffers[1].get() : m_buffers[0].get();
    m_used = 0;
}

void OutputBuffer::waitForWriter()
{
    if (m_writer)
        m_writer->wait();
}

void OutputBuffer::writeOut(const char *data, std::size_t size)
{
    if (failed() || !m_device)
        return;
    while (size > 0) {
        const qint64 written = m_device->write(data, static_cast<qint64>(size));
        if (written <= 0) {
            m_errorString = m_device->errorString();
            if (m_errorString.isEmpty() || m_errorString == QLatin1String("Unknown error"))
                m_errorString = QStringLiteral("the output device accepted no more data");
            m_failed.store(true, std::memory_order_relaxed);
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}
