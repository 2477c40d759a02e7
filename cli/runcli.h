#pragma once

#include <QStringList>

#include <atomic>

class QIODevice;

// The exit statuses of the command-line program; a signal that ends it gives 128 + its number.
namespace ExitStatus {
inline constexpr int Converted = 0; // every input converted
inline constexpr int NotConverted = 1; // a file could not be converted (or was not searched)
inline constexpr int UsageError = 2;
// This machine cannot do the work: a named path is missing, unreadable or an empty folder, the
// -o folder is missing or the list cannot be read; worth trying on another machine.
inline constexpr int CannotWork = 3;
} // namespace ExitStatus

// What the command-line program learns from its surroundings.
struct CliEnvironment {
    bool showProgress = false; // standard error is a terminal
    const std::atomic_bool *cancel = nullptr; // set from outside (a signal) to stop the run
    int defaultJobs = 0; // files converted in parallel without --jobs; 0: the number of cores
};

// The command-line program: converts the inputs named in arguments (the program's name first),
// reading standard input from in, writing results to out and messages to err. Returns the exit
// status (see ExitStatus), 130 when cancelled.
int runCli(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
           const CliEnvironment &environment = {});
