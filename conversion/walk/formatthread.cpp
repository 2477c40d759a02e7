#include "conversion/walk/formatthread.h"

#include "conversion/walk/flattenwalk.h"
#include "conversion/walk/parseevents.h"
#include "core/failure.h"

FormatThread::FormatThread(BlockQueue &queue, FlattenWalk &walk, OutputBuffer &output)
    : m_queue(queue), m_walk(walk), m_output(output), m_thread([this] { run(); })
{
}

FormatThread::~FormatThread()
{
    m_queue.end();
    join();
}

void FormatThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FormatThread::run()
{
    std::size_t used = 0;
    while (const char *block = m_queue.filledBlock(&used)) {
        if (!failed()) {
            try {
                ParseEvents::replay(block, used, m_walk, m_output, m_position);
            } catch (...) {
                m_step = m_walk.step();
                try {
                    m_reason = describeCurrentException();
                } catch (...) {
                    m_reason = QStringLiteral("Out of memory");
                }
                m_failed.store(true, std::memory_order_release);
            }
        }
        m_queue.release();
    }
}
