#include "batch/conversionworker.h"

#include "batch/run.h"
#include "conversion/conversioncores.h"

std::atomic_int ConversionWorker::s_unjoined{0};
std::atomic_int ConversionWorker::s_started{0};

ConversionWorker::ConversionWorker(QObject *parent) : QObject(parent) { }

ConversionWorker::~ConversionWorker()
{
    cancel();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
        --s_unjoined;
    }
}

void ConversionWorker::start(const BatchJob &job, const CsvFormat &format)
{
    wait();
    {
        const std::lock_guard lock(m_mutex);
        m_cancel.store(false);
        m_running.store(true);
        m_result = JobStatus();
        m_job.emplace(job, format);
    }
    ++s_started;
    if (!m_thread.joinable()) {
        ++s_unjoined;
        m_thread = std::thread([this] { run(); });
    } else {
        m_changed.notify_all();
    }
}

void ConversionWorker::run()
{
    for (;;) {
        std::pair<BatchJob, CsvFormat> job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_job || m_stopping; });
            if (m_stopping)
                return;
            job = std::move(*m_job);
            m_job.reset();
        }
        RunOptions options;
        options.inputKinds = InputKinds::RegularFilesOnly;
        JobStatus result;
        {
            const ConversionCores::Busy busy;
            result = convertJob(job.first, job.second, options, &m_cancel);
        }
        {
            // The result is complete before anyone can see the conversion as ended, and so is
            // the finished() of this conversion, which then reaches no one waiting for the next.
            const std::lock_guard lock(m_mutex);
            m_result = std::move(result);
            m_running.store(false);
            emit finished();
        }
        m_changed.notify_all();
    }
}

bool ConversionWorker::waitFor(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [this] { return !m_running.load(); });
}

void ConversionWorker::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_running.load(); });
}
