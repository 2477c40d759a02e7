#include "cli/runcli.h"
#include "core/nativename.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <unistd.h>

namespace {

std::atomic_bool interrupted = false;

void stopOnSignal(int)
{
    interrupted = true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));

    // The first Ctrl+C lets the running conversions stop and remove their temporary files; the
    // handler then gives way, so a second one ends the program at once.
    struct sigaction action = {};
    action.sa_handler = stopOnSignal;
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    QFile in;
    QFile out;
    QFile err;
    in.open(STDIN_FILENO, QIODevice::ReadOnly);
    // Unbuffered, so that a failed write to standard output shows in the run's own result.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);

    CliEnvironment environment;
    environment.showProgress = isatty(STDERR_FILENO) == 1;
    environment.cancel = &interrupted;
    // Taken from argv as bytes: arguments() would turn a name that is not UTF-8 into another.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << decodeNativeName(argv[i]);
    return runCli(arguments, in, out, err, environment);
}
