#include "cli/runcli.h"
#include "cli/standardstreams.h"
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

// A signal that would end the program (Ctrl+C, SIGTERM, SIGHUP, SIGQUIT, a timer's or a
// limit's) ends it at once, also while a conversion waits in open() or read() on a pipe: a
// thread of its own takes it, removes the unfinished outputs and ends the process with 128 +
// the signal's number. Unfinished outputs are mostly unnamed files, which vanish with the
// process anyway.
void endOnSignals()
{
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                             SIGPROF, SIGXCPU, SIGIO, SIGPWR})
        sigaddset(&ending, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
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
    // An output over the file size limit fails that file with EFBIG; the run goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader that closed standard error costs its messages, never a conversion; one that
    // closed standard output ends the program (see StandardOutput).
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char *argv[])
{
    endOnSignals();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));

    StandardInput in;
    StandardOutput out;
    QFile err;
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);

    CliEnvironment environment;
    environment.showProgress = isatty(STDERR_FILENO) == 1;
    // Taken from argv as bytes: arguments() would turn a name that is not UTF-8 into another.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << decodeNativeName(argv[i]);
    return runCli(arguments, in, out, err, environment);
}
