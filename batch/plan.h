#pragma once

#include "batch/batchjob.h"
#include "batch/shard.h"
#include "conversion/csvformat.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a run is asked to do: its inputs in order, where the results go, and how lines are
// written.
struct BatchRequest {
    QList<BatchInput> inputs;
    // Folders among the inputs are searched, with the folders below them, for files whose name
    // ends in "." + this extension ("*": every file); without it every input is taken as a file.
    std::optional<QString> folderExtension;
    OutputPlace place;
    CsvFormat format;
};

// Two jobs of a plan that write the same output: the later one's result remains.
struct OutputClash {
    qsizetype earlier;
    qsizetype later;
};

// The jobs of a run, in conversion order, decided before anything is written. Each job's output
// has a key naming the file the system will write (two spellings of one file share it; empty
// for standard output), so that a plan sees every clash between its outputs.
struct BatchPlan {
    QList<BatchJob> jobs;
    QStringList outputKeys; // one per job
    CsvFormat format;
    // Folders among the inputs that gave no file.
    QList<FileName> foldersWithoutFiles;

    qsizetype size() const { return jobs.size(); }
    bool isEmpty() const { return jobs.isEmpty(); }
};

// The plan for the request: every file input, and every file the folder inputs give, becomes
// a job whose output is named after its input (see outputPathFor()).
BatchPlan makePlan(const BatchRequest &request);

// Keeps only the jobs whose output belongs to the part, in their order.
void keepPart(BatchPlan &plan, const Shard &part);

// Every pair of jobs that read different inputs and write one output, each later job paired
// with the last one before it.
QList<OutputClash> findClashes(const BatchPlan &plan);
