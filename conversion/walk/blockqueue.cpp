#include "conversion/walk/blockqueue.h"

BlockQueue::BlockQueue(std::size_t blockSize, int blockCount)
    : m_blockSize(blockSize),
      m_blockCount(static_cast<std::size_t>(blockCount)),
      m_blocks(new Block[m_blockCount])
{
    for (std::size_t i = 0; i < m_blockCount; ++i)
        m_blocks[i].data.reset(new char[blockSize]);
}

char *BlockQueue::emptyBlock()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_pushed - m_released < m_blockCount || m_ended; });
    return m_ended ? nullptr : at(m_pushed).data.get();
}

void BlockQueue::push(std::size_t used)
{
    {
        const std::lock_guard lock(m_mutex);
        at(m_pushed).used = used;
        ++m_pushed;
    }
    m_changed.notify_all();
}

bool BlockQueue::waitUntilRead()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_released == m_pushed || m_ended; });
    return !m_ended;
}

void BlockQueue::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

const char *BlockQueue::filledBlock(std::size_t *used)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_released < m_pushed || m_finished || m_ended; });
    if (m_ended || m_released == m_pushed)
        return nullptr;
    *used = at(m_released).used;
    return at(m_released).data.get();
}

void BlockQueue::release()
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_released;
    }
    m_changed.notify_all();
}

void BlockQueue::end()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
}
