#pragma once

#include <QString>

// What became of one document: converted, or why not.
struct ConversionResult {
    enum class Status {
        Converted, // the whole output was written
        LoadFailed, // not well-formed, or the input could not be read: no output written
        WriteFailed, // a well-formed document whose output could not be created or written
        WalkFailed, // an unexpected failure inside the walk (for example memory exhaustion)
        Cancelled, // stopped from outside; no output left behind
    };

    Status status = Status::Converted;
    QString reason; // the parser's or system's reason, or the failure's description
    qint64 line = 0; // LoadFailed: 1-based line of the error, 0 when the input was unreadable
    qint64 column = 0; // LoadFailed: 1-based column of the error, 0 when the input was unreadable
    int step = 0; // WalkFailed: the walk's step number for the error report
    qint64 linesWritten = 0;

    bool converted() const { return status == Status::Converted; }
};
