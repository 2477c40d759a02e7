#pragma once

#include "conversion/walk/blockqueue.h"
#include "conversion/walk/parseposition.h"

#include <QString>

#include <atomic>
#include <thread>

class FlattenWalk;
class OutputBuffer;

// Runs the walk over the parser's recorded events (ParseEvents) on a thread of its own, so that
// the lines are made and written while the parser reads on, and counts the lines and columns of
// the input the parser consumed. An unexpected failure inside the walk ends its work: the
// failure and the walk's step are kept, and later records are dropped.
class FormatThread {
public:
    // Starts the thread; throws std::system_error when the system gives none.
    FormatThread(BlockQueue &queue, FlattenWalk &walk, OutputBuffer &output);
    // Ends the queue when it is still open and waits for the thread.
    ~FormatThread();
    FormatThread(const FormatThread &) = delete;
    FormatThread &operator=(const FormatThread &) = delete;

    // Waits until the thread has replayed what the queue held when it was finished, or ended.
    void join();

    // Whether the walk has failed; asked by the parsing thread while the walk runs.
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    // What failed and at which step of the walk; valid after join().
    QString reason() const { return m_reason; }
    int step() const { return m_step; }
    // The lines and columns of the input counted so far; valid once what was recorded before
    // has been replayed.
    CountedPosition position() const { return m_position; }

private:
    void run();

    BlockQueue &m_queue;
    FlattenWalk &m_walk;
    OutputBuffer &m_output;
    std::atomic_bool m_failed = false;
    QString m_reason;
    int m_step = 0;
    CountedPosition m_position;
    std::thread m_thread; // last: it starts once everything above exists
};
