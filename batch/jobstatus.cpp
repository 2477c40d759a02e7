#include "batch/jobstatus.h"

#include "core/failure.h"

JobStatus JobStatus::fromResult(const ConversionResult &result)
{
    JobStatus status;
    switch (result.status) {
    case ConversionResult::Status::Converted:
        status.kind = Kind::Converted;
        break;
    case ConversionResult::Status::LoadFailed:
        status.kind = Kind::NotRead;
        break;
    case ConversionResult::Status::WriteFailed:
        status.kind = Kind::NotWritten;
        break;
    case ConversionResult::Status::WalkFailed:
        status.kind = Kind::Failed;
        break;
    case ConversionResult::Status::Cancelled:
        status.kind = Kind::Cancelled;
        break;
    }
    status.reason = result.reason;
    status.line = result.line;
    status.column = result.column;
    status.step = result.step;
    status.linesWritten = result.linesWritten;
    return status;
}

JobStatus JobStatus::fromCurrentException()
{
    JobStatus status;
    status.kind = Kind::Failed;
    status.reason = describeCurrentException();
    return status;
}

JobStatus JobStatus::skipped(QString reason)
{
    JobStatus status;
    status.kind = Kind::Skipped;
    status.reason = std::move(reason);
    return status;
}

JobStatus JobStatus::superseded(QString reason)
{
    JobStatus status;
    status.kind = Kind::Superseded;
    status.reason = std::move(reason);
    return status;
}
