#pragma once

#include "batch/plan.h"
#include "batch/report.h"
#include "conversion/inputkinds.h"

#include <atomic>
#include <functional>

class QIODevice;

// How a run converts its jobs.
struct RunOptions {
    int threads = 1; // jobs converted at once; the results are those of one thread
    const std::atomic_bool *cancel = nullptr; // once set, no further job starts
    InputKinds inputKinds = InputKinds::Any;
    QIODevice *standardInput = nullptr; // read by a job that reads standard input
    QIODevice *standardOutput = nullptr; // written by a job that writes standard output
};

// Converts one job: its result replaces its output file only when complete, or goes to
// standard output as it is made. Never throws: a failure thrown by the conversion is a status.
JobStatus convertJob(const BatchJob &job, const CsvFormat &format, const RunOptions &options,
                     const std::atomic_bool *cancel);

// How a program follows a run. Every hook is called on the thread that runs it.
struct RunHooks {
    // Before job i starts, in a run on one thread only; false ends the run there.
    std::function<bool(qsizetype)> starting;
    // Converts job i in place of convertJob(), as the window does to keep its events flowing;
    // never called for a job whose outcome the plan decided.
    std::function<JobStatus(qsizetype)> convert;
    // After job i, in job order, as soon as it and every job before it are over; a job that
    // never ran (the run was cancelled or ended) comes as cancelled.
    std::function<void(qsizetype, const JobStatus &)> finished;
};

// Converts the jobs of the plan in order, or on several threads with the same results: jobs
// writing one output run one after another, in plan order.
BatchReport runBatch(const BatchPlan &plan, const RunOptions &options, const RunHooks &hooks = {});
