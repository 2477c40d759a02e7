#pragma once

#include "conversion/conversionresult.h"

#include <QString>

// What became of one job of a run. Every program renders these, in its own words; how a
// conversion's outcome, or a failure thrown from it, becomes one is decided here alone.
struct JobStatus {
    enum class Kind {
        Converted, // the whole output was written
        NotRead, // not well-formed, or the input could not be read (line and column 0)
        NotWritten, // a well-formed document whose output could not be written
        Failed, // an unexpected failure while converting (in the walk when step is set)
        Skipped, // not converted, for the reason given
        Superseded, // not converted: a later job of the run writes the same output
        Cancelled, // stopped from outside; nothing left behind
    };

    Kind kind = Kind::Converted;
    QString reason;
    qint64 line = 0; // NotRead: 1-based, 0 when the input could not be read
    qint64 column = 0;
    int step = 0; // Failed: the walk's step number, 0 outside the walk
    qint64 linesWritten = 0;

    bool converted() const { return kind == Kind::Converted; }
    // Neither converted, superseded nor cancelled: the run must not claim success.
    bool failed() const
    {
        return kind != Kind::Converted && kind != Kind::Superseded && kind != Kind::Cancelled;
    }

    static JobStatus fromResult(const ConversionResult &result);
    // A failure thrown from a conversion; call from a catch block.
    static JobStatus fromCurrentException();
    static JobStatus skipped(QString reason);
    static JobStatus superseded(QString reason);
};
