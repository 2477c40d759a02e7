#pragma once

#include "batch/batchjob.h"
#include "batch/shard.h"
#include "conversion/csvformat.h"
#include "filelist/scanrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a run is asked to do: its inputs in order, where the results go, and how lines are
// written.
struct BatchRequest {
    QList<BatchInput> inputs;
    // With it every input is a path the user named, which must be there and readable: a file,
    // or a folder searched with the folders below it for files whose name ends in "." + this
    // extension ("*": every file). Without it every input is taken as a file, and a file that
    // cannot be read is that job's failure.
    std::optional<QString> folderExtension;
    OutputPlace place;
    CsvFormat format;
    // Only the jobs of this part are kept. A job's part is fixed by what every machine of a
    // cluster names alike, however it reaches the files: the output's path below the output
    // folder, or below the named folder its input was found in (the name alone for a named
    // file). Jobs writing one output share the part of the last of them.
    std::optional<Shard> part;
};

// Two jobs of a plan that write the same output: the result of the last job writing it
// remains, and the earlier one's would be replaced.
struct OutputClash {
    qsizetype earlier;
    qsizetype last;
};

// A path the user named that gives the run nothing.
struct UnusableInput {
    enum class Problem {
        CannotRead, // missing, or not readable; reason holds the system's reason
        NoMatchingFile, // a folder without a file of the extension
    };
    Problem problem;
    FileName path;
    QString reason;
};

// The jobs of a run, in conversion order, decided before anything is written. Each job's output
// has a key naming the file the system will write (two spellings of one file share it; empty
// for standard output), so that a plan sees every clash between its outputs.
struct BatchPlan {
    QList<BatchJob> jobs;
    QStringList outputKeys; // one per job
    CsvFormat format;
    // Named paths that gave no job, in the order given.
    QList<UnusableInput> unusableInputs;
    // What the folder scans could not list: files there may be missing from the jobs.
    ScanRecord leftOut;

    qsizetype size() const { return jobs.size(); }
    bool isEmpty() const { return jobs.isEmpty(); }
    // True when a named path gives nothing: the run cannot be the one asked for.
    bool missesInputs() const { return !unusableInputs.isEmpty(); }
};

// The plan for the request: every file input, and every file the folder inputs give, becomes
// a job whose output is named after its input (see outputPathFor()). A job whose output is an
// input of the run (its own included, and whatever its part) is planned as skipped, naming
// that input. Named paths are checked whatever the part.
BatchPlan makePlan(const BatchRequest &request);

// Leaves out every job not yet decided whose output is a regular file at least as new as its
// input: only missing and older results are made again. Returns how many it left out.
qsizetype leaveOutUpToDate(BatchPlan &plan);

// Every job whose output a later job reading another input writes too, paired with the last
// job writing it, in the order of the earlier jobs; an input listed twice is named once. Jobs the
// plan has decided already are left out.
QList<OutputClash> findClashes(const BatchPlan &plan);

// Plans every earlier job of findClashes() as superseded, never to be opened: only the last
// input writing an output is converted, so a part run again, late or twice can only write
// that one's bytes. Returns the clashes.
QList<OutputClash> convertOnlyTheLast(BatchPlan &plan);
