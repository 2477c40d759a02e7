#pragma once

#include <QStringList>

#include <atomic>

class QIODevice;

// What the command-line program learns from its surroundings.
struct CliEnvironment {
    bool showProgress = false; // standard error is a terminal
    const std::atomic_bool *cancel = nullptr; // set from outside (a signal) to stop the run
    int defaultJobs = 0; // files converted in parallel without --jobs; 0: the number of cores
};

// The command-line program: converts the inputs named in arguments (the program's name first),
// reading standard input from in, writing results to out and messages to err. Returns the exit
// status: 0 when every input converted, 1 when any failed, 2 for a usage error, 130 when
// cancelled.
int runCli(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
           const CliEnvironment &environment = {});
