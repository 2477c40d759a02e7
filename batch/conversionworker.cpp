#include "batch/conversionworker.h"

#include "conversion/convertfile.h"

#include <exception>

std::atomic_int ConversionWorker::s_unjoined{0};

ConversionWorker::ConversionWorker(QObject *parent) : QObject(parent) { }

ConversionWorker::~ConversionWorker()
{
    cancel();
    wait();
}

void ConversionWorker::start(const QString &inputPath, const QString &outputPath,
                             const QString &delimiter)
{
    wait();
    m_cancel.store(false);
    m_running.store(true);
    m_result = ConversionResult();
    ++s_unjoined;
    m_thread = std::thread([this, inputPath, outputPath, delimiter] {
        ConversionResult result;
        try {
            result = convertFile(inputPath, outputPath, delimiter, &m_cancel,
                                 InputKinds::RegularFilesOnly);
        } catch (const std::exception &failure) {
            result.status = ConversionResult::Status::WriteFailed;
            result.reason = QString::fromLocal8Bit(failure.what());
        } catch (...) {
            result.status = ConversionResult::Status::WriteFailed;
            result.reason = QStringLiteral("Unknown failure");
        }
        // The result is complete before anyone can see the thread as ended.
        m_result = std::move(result);
        m_running.store(false);
        emit finished();
    });
}

void ConversionWorker::wait()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    --s_unjoined;
}
