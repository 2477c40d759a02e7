#include "batch/conversionworker.h"

#include "batch/run.h"
#include "conversion/conversioncores.h"

std::atomic_int ConversionWorker::s_unjoined{0};
std::atomic_int ConversionWorker::s_started{0};

ConversionWorker::ConversionWorker(QObject *parent) : QObject(parent) { }

ConversionWorker::~ConversionWorker()
{
    cancel();
    wait();
}

void ConversionWorker::start(const BatchJob &job, const CsvFormat &format)
{
    wait();
    m_cancel.store(false);
    m_running.store(true);
    m_result = JobStatus();
    ++s_unjoined;
    ++s_started;
    m_thread = std::thread([this, job, format] {
        RunOptions options;
        options.inputKinds = InputKinds::RegularFilesOnly;
        JobStatus result;
        {
            const ConversionCores::Busy busy;
            result = convertJob(job, format, options, &m_cancel);
        }
        {
            // The result is complete before anyone can see the thread as ended.
            const std::lock_guard lock(m_mutex);
            m_result = std::move(result);
            m_running.store(false);
        }
        m_ended.notify_all();
        emit finished();
    });
}

bool ConversionWorker::waitFor(std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_mutex);
    return m_ended.wait_for(lock, bound, [this] { return !m_running.load(); });
}

void ConversionWorker::wait()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    --s_unjoined;
}
