#include "cli/runcli.h"
#include "conversion/pendingnames.h"
#include "core/nativename.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// Ctrl+C, SIGTERM and SIGHUP end the program at once, also while a conversion waits in open()
// or read() on a pipe: a thread of its own takes them, removes the unfinished outputs and ends
// the process with 128 + the signal's number. Unfinished outputs are mostly unnamed files,
// which vanish with the process anyway.
void endOnSignals()
{
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&ending, signal);
    // Blocked before any other thread exists, so that every thread leaves them to this one.
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    try {
        std::thread([ending] {
            int signal = 0;
            while (sigwait(&ending, &signal) != 0) { }
            PendingNames::removeAllAndExit(128 + signal);
        }).detach();
    } catch (const std::system_error &) {
        pthread_sigmask(SIG_UNBLOCK, &ending, nullptr);
    }
    // A reader that closed the pipe ends the program quietly, as it ends any filter.
    std::signal(SIGPIPE, SIG_DFL);
}

} // namespace

int main(int argc, char *argv[])
{
    endOnSignals();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));

    QFile in;
    QFile out;
    QFile err;
    in.open(STDIN_FILENO, QIODevice::ReadOnly);
    // Unbuffered, so that a failed write to standard output shows in the run's own result.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);

    CliEnvironment environment;
    environment.showProgress = isatty(STDERR_FILENO) == 1;
    // Taken from argv as bytes: arguments() would turn a name that is not UTF-8 into another.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << decodeNativeName(argv[i]);
    return runCli(arguments, in, out, err, environment);
}
