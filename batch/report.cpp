#include "batch/report.h"

#include <algorithm>

qsizetype BatchReport::failures() const
{
    return std::count_if(statuses.cbegin(), statuses.cend(),
                         [](const JobStatus &status) { return status.failed(); });
}

bool BatchReport::cancelled() const
{
    return std::any_of(statuses.cbegin(), statuses.cend(), [](const JobStatus &status) {
        return status.kind == JobStatus::Kind::Cancelled;
    });
}
