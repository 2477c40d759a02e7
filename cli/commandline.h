#pragma once

#include "batch/shard.h"
#include "conversion/csvformat.h"

#include <QString>
#include <QStringList>

// The choices of one command-line run, as given by the user.
struct CliOptions {
    QStringList paths; // files, folders, and "-" for standard input
    QString delimiter = QStringLiteral(",");
    QString outputDir; // empty: each output beside its source
    QString extension = QStringLiteral("xml"); // for folders; "*" takes every file
    bool toStdout = false;
    int jobs = 1;
    bool dryRun = false;
    bool quiet = false;
    bool update = false; // convert only inputs whose output is missing or older
    bool tree = false; // outputs mirror the folders below each PATH in outputDir
    QString filesFrom; // a file listing more paths; "-" for standard input; empty: none
    bool nulSeparated = false; // the file list and the dry run's listing separate by NUL
    std::optional<Shard> shard; // convert only this part of the job list
    CsvFormat::Quoting quoting = CsvFormat::Quoting::None;
    bool byteOrderMark = false;
    bool crlf = true;
    bool attributes = false;
    bool formulasAsText = false; // --spreadsheet: a field that looks like a formula opens as text
    bool gnuErrors = false; // failures as "FILE:LINE:COLUMN: error: REASON"
};

// What the command line asks for: a run with its options, the help or version text, or a
// usage error with its message.
struct ParsedCommandLine {
    enum class Action { Run, Help, Version, UsageError };

    Action action = Action::Run;
    CliOptions options;
    QString text; // Help and Version: the text to print; UsageError: what is wrong
};

// Reads the arguments (the program's name first). The value after -d/--delimiter (and after
// every other option that takes one) is taken verbatim, even when it starts with "-".
ParsedCommandLine parseCommandLine(const QStringList &arguments, int defaultJobs);
