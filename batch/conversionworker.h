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
#include <optional>
#include <thread>
#include <utility>

// Converts jobs with convertJob() on a thread of its own, so that the thread that started them
// keeps handling events. Only regular files are read: a listed pipe or device could hold the
// thread, and with it the window's closing, for good. One conversion at a time; the thread is
// started with the first and kept for the next ones, as a thread's start and end cost more than
// converting a small file. The object must outlive its thread, which its destructor guarantees
// by cancelling and joining.
class ConversionWorker final : public QObject {
    Q_OBJECT

public:
    explicit ConversionWorker(QObject *parent = nullptr);
    ~ConversionWorker() override;

    // Starts converting the job's input into its output file; finished() follows when it ends.
    // Waits for a conversion still under way first.
    void start(const BatchJob &job, const CsvFormat &format);

    // True from start() until the conversion's work has ended.
    bool isRunning() const { return m_running.load(); }

    // Asks a running conversion to stop as soon as it can; its output is not kept.
    void cancel() { m_cancel.store(true); }

    // Waits at most the bound for the conversion to end; true when it has ended.
    bool waitFor(std::chrono::milliseconds bound);

    // Waits until the conversion under way, if any, has ended and finished() has been emitted.
    void wait();

    // The outcome of the last conversion; valid after wait().
    const JobStatus &result() const { return m_result; }

    // Threads started by any worker and not yet joined.
    static int unjoinedThreads() { return s_unjoined.load(); }
    // Conversions any worker has started.
    static int conversionsStarted() { return s_started.load(); }

signals:
    // The conversion has ended; emitted from the worker thread while it holds the worker's lock,
    // so connect it queued.
    void finished();

private:
    void run();

    std::thread m_thread;
    std::atomic_bool m_cancel{false};
    std::atomic_bool m_running{false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // The job handed over and not yet taken by the thread.
    std::optional<std::pair<BatchJob, CsvFormat>> m_job;
    bool m_stopping = false;
    JobStatus m_result;

    static std::atomic_int s_unjoined;
    static std::atomic_int s_started;
};
