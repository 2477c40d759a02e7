#include "batch/run.h"

#include "batch/orderedrun.h"
#include "batch/outputfolders.h"
#include "conversion/conversioncores.h"
#include "conversion/convertfile.h"
#include "conversion/flatten.h"
#include "core/failure.h"

#include <algorithm>
#include <atomic>
#include <optional>

JobStatus convertJob(const BatchJob &job, const CsvFormat &format, const RunOptions &options,
                     const std::atomic_bool *cancel)
{
    try {
        if (!job.writesStandardOutput()) {
            if (!job.outputRoot.isEmpty()) {
                if (const QString reason = makeOutputFolders(job.outputRoot, job.output);
                    !reason.isEmpty()) {
                    JobStatus status;
                    status.kind = JobStatus::Kind::NotWritten;
                    status.reason = reason;
                    return status;
                }
            }
            return JobStatus::fromResult(convertFile(job.input.path(), job.output.path(), format,
                                                     cancel, options.inputKinds));
        }
        if (!options.standardOutput)
            throw Failure(QStringLiteral("No standard output to write to"));
        if (!job.readsStandardInput) {
            return JobStatus::fromResult(
                    convertFileToStream(job.input.path(), *options.standardOutput, format, cancel));
        }
        if (!options.standardInput)
            throw Failure(QStringLiteral("No standard input to read"));
        return JobStatus::fromResult(ConvertToCSV(*options.standardInput, options.standardOutput,
                                                  format, cancel, ThreadPlan::Automatic));
    } catch (...) {
        return JobStatus::fromCurrentException();
    }
}

BatchReport runBatch(const BatchPlan &plan, const RunOptions &options, const RunHooks &hooks)
{
    BatchReport report;
    report.statuses.resize(plan.size());
    const auto convert = [&](qsizetype i) {
        const BatchJob &job = plan.jobs[i];
        if (job.planned)
            return *job.planned;
        return hooks.convert ? hooks.convert(i)
                             : convertJob(job, plan.format, options, options.cancel);
    };
    const auto finish = [&](qsizetype i, bool ran) {
        if (!ran)
            report.statuses[i].kind = JobStatus::Kind::Cancelled;
        if (hooks.finished)
            hooks.finished(i, report.statuses[i]);
    };

    if (options.threads > 1) {
        // The pool's threads are busy from the start, each until no job is left for it.
        const qsizetype poolSize = std::min<qsizetype>(options.threads, plan.size());
        ConversionCores::Busy busy(static_cast<int>(poolSize));
        std::atomic<qsizetype> over = 0;
        runOrdered(
                plan.outputKeys, options.threads,
                [&](qsizetype i) {
                    report.statuses[i] = convert(i);
                    if (plan.size() - ++over < poolSize)
                        busy.release();
                },
                finish, options.cancel);
        return report;
    }
    // A program that converts elsewhere (the window, on its worker) counts there.
    std::optional<ConversionCores::Busy> busy;
    if (!hooks.convert)
        busy.emplace();
    bool ended = false;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        ended = ended || (options.cancel && options.cancel->load())
                || (hooks.starting && !hooks.starting(i));
        if (!ended)
            report.statuses[i] = convert(i);
        finish(i, !ended);
    }
    return report;
}
