#pragma once

#include "batch/jobstatus.h"

#include <QList>

// How a run ended: one status per job of its plan, in job order.
struct BatchReport {
    QList<JobStatus> statuses;

    // Jobs neither converted nor cancelled.
    qsizetype failures() const;
    // True when a job was not run or stopped because the run was cancelled.
    bool cancelled() const;
};
