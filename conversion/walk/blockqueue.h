#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

// Blocks of bytes handed in order from the thread that fills them to the thread that reads
// them. A few blocks of a fixed size are made once and go round, so memory stays flat however
// much passes: the filling thread waits while every block is full, the reading one while none
// is. Either side may end the passing early.
class BlockQueue {
public:
    BlockQueue(std::size_t blockSize, int blockCount);
    BlockQueue(const BlockQueue &) = delete;
    BlockQueue &operator=(const BlockQueue &) = delete;

    std::size_t blockSize() const { return m_blockSize; }

    // The filling side: the block to fill next, waiting while none is free; null once the
    // reading side has ended.
    char *emptyBlock();
    // Hands the block from emptyBlock() over with its first `used` bytes filled.
    void push(std::size_t used);
    // Waits until every block handed over has been read; false once the reading side has ended.
    bool waitUntilRead();
    // No block follows: the reading side ends after the last one.
    void finish();

    // The reading side: the next filled block and its size, waiting while none is there; null
    // once the filling side has finished and everything is read, or either side has ended.
    const char *filledBlock(std::size_t *used);
    // The block from filledBlock() is read and may be filled again.
    void release();

    // Ends the passing at once for both sides: blocks not yet read are dropped.
    void end();

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t used = 0;
    };

    Block &at(std::size_t count) { return m_blocks[count % m_blockCount]; }

    std::size_t m_blockSize;
    std::size_t m_blockCount;
    std::unique_ptr<Block[]> m_blocks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_pushed = 0; // blocks handed over so far
    std::size_t m_released = 0; // blocks read so far
    bool m_finished = false;
    bool m_ended = false;
};
