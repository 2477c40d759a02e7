#pragma once

#include "batch/batchjob.h"
#include "batch/jobstatus.h"
#include "conversion/csvformat.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Converts one job with convertJob() on a thread of its own, so that the thread that started
// it keeps handling events. Only regular files are read: a listed pipe or device could hold the
// thread, and with it the window's closing, for good. One conversion at a time; the object must
// outlive its thread, which its destructor guarantees by cancelling and joining.
class ConversionWorker final : public QObject {
    Q_OBJECT

public:
    explicit ConversionWorker(QObject *parent = nullptr);
    ~ConversionWorker() override;

    // Starts converting the job's input into its output file; finished() follows when it ends.
    // Must not be called while a conversion runs.
    void start(const BatchJob &job, const CsvFormat &format);

    // True from start() until the thread's work has ended.
    bool isRunning() const { return m_running.load(); }

    // Asks a running conversion to stop as soon as it can; its output is not kept.
    void cancel() { m_cancel.store(true); }

    // Waits at most the bound for the conversion to end; true when it has ended.
    bool waitFor(std::chrono::milliseconds bound);

    // Waits for the thread to end and joins it; returns at once when none was started.
    void wait();

    // The outcome of the last conversion; valid after wait().
    const JobStatus &result() const { return m_result; }

    // Threads started by any worker and not yet joined.
    static int unjoinedThreads() { return s_unjoined.load(); }
    // Conversions any worker has started.
    static int conversionsStarted() { return s_started.load(); }

signals:
    // The conversion has ended; emitted from the worker thread, so connect it queued.
    void finished();

private:
    std::thread m_thread;
    std::atomic_bool m_cancel{false};
    std::atomic_bool m_running{false};
    std::mutex m_mutex;
    std::condition_variable m_ended;
    JobStatus m_result;

    static std::atomic_int s_unjoined;
    static std::atomic_int s_started;
};
