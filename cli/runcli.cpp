#include "cli/runcli.h"

#include "batch/plan.h"
#include "batch/run.h"
#include "cli/commandline.h"
#include "cli/fileslist.h"
#include "core/absolutename.h"
#include "core/nativename.h"
#include "core/pathhelpers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString standardInput = QStringLiteral("-");

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

QString describeSource(const BatchJob &job)
{
    return job.readsStandardInput ? QStringLiteral("standard input") : job.input.display();
}

QString describeTarget(const BatchJob &job)
{
    return job.writesStandardOutput() ? QStringLiteral("standard output") : job.output.display();
}

CsvFormat csvFormat(const CliOptions &options)
{
    CsvFormat format;
    format.delimiter = options.delimiter;
    format.quoting = options.quoting;
    format.byteOrderMark = options.byteOrderMark;
    format.crlf = options.crlf;
    format.attributes = options.attributes;
    format.formulasAsText = options.formulasAsText;
    return format;
}

// A reason as one line a terminal shows as it is: names inside it come from the conversion as
// they are, so control characters and stray bytes are written as \xHH, line breaks included.
QString readableReason(const JobStatus &status)
{
    return readableName(status.reason.trimmed());
}

// One line in the form compilers use, which editors and tools jump to.
QString describeFailureGnu(const BatchJob &job, const JobStatus &status)
{
    QString where = job.readsStandardInput ? standardInput : job.input.display();
    if (status.kind == JobStatus::Kind::NotRead && status.line > 0)
        where += u':' + QString::number(status.line) + u':' + QString::number(status.column);
    QString reason = readableReason(status);
    if (status.kind == JobStatus::Kind::NotWritten)
        reason = QStringLiteral("cannot write ") + describeTarget(job) + QStringLiteral(": ")
                + reason;
    return where + QStringLiteral(": error: ") + reason + u'\n';
}

QString describeFailure(const BatchJob &job, const JobStatus &status, bool gnuErrors)
{
    if (gnuErrors && status.failed())
        return describeFailureGnu(job, status);
    switch (status.kind) {
    case JobStatus::Kind::Converted:
    case JobStatus::Kind::Superseded: // named in the warning before the run
    case JobStatus::Kind::Cancelled:
        return {};
    case JobStatus::Kind::NotRead:
        return QStringLiteral("Error reading ") + describeSource(job) + QStringLiteral("\nerror:")
                + readableReason(status) + QStringLiteral("\nLine:") + QString::number(status.line)
                + QStringLiteral("\nposition:") + QString::number(status.column) + u'\n';
    case JobStatus::Kind::NotWritten:
        return QStringLiteral("Error writing ") + describeTarget(job) + QStringLiteral(" (from ")
                + describeSource(job) + QStringLiteral("): ") + readableReason(status) + u'\n';
    case JobStatus::Kind::Failed:
        return QStringLiteral("Error converting ") + describeSource(job) + QStringLiteral(": ")
                + readableReason(status) + u'\n';
    case JobStatus::Kind::Skipped:
        // The plan's reasons name the files they are about.
        return QStringLiteral("Not converted: ") + readableReason(status) + u'\n';
    }
    return {};
}

// A failure about a path rather than a job, as "quillmere-cli: WHAT PATH: REASON", or in the
// form compilers use as "PATH: error: WHAT: REASON".
QString describePathProblem(const FileName &path, const QString &what, const QString &reason,
                            bool gnuErrors)
{
    const QString because = reason.isEmpty() ? QString() : QStringLiteral(": ") + reason;
    if (gnuErrors)
        return path.display() + QStringLiteral(": error: ") + what + because + u'\n';
    return QStringLiteral("quillmere-cli: ") + what + u' ' + path.display() + because + u'\n';
}

// Names every named path that gives nothing and everything the folder scans could not search.
void reportPlanProblems(const BatchPlan &plan, const CliOptions &options, QIODevice &err)
{
    for (const UnusableInput &input : plan.unusableInputs) {
        switch (input.problem) {
        case UnusableInput::Problem::CannotRead:
            write(err,
                  describePathProblem(input.path, QStringLiteral("cannot read"), input.reason,
                                      options.gnuErrors));
            break;
        case UnusableInput::Problem::NoMatchingFile:
            // An empty folder is also what a node sees where the share is not mounted.
            write(err,
                  options.gnuErrors
                          ? QStringLiteral("%2: error: no file matches *.%1\n")
                                    .arg(readableName(options.extension), input.path.display())
                          : QStringLiteral("quillmere-cli: no file matches *.%1 in %2\n")
                                    .arg(readableName(options.extension), input.path.display()));
            break;
        }
    }
    for (const ScanRecord::Entry &entry : plan.leftOut.entries) {
        const bool tooLong = entry.reason == ScanRecord::Reason::TooLong;
        write(err,
              describePathProblem(entry.path,
                                  tooLong ? QStringLiteral("too long a path to search")
                                          : QStringLiteral("cannot search"),
                                  entry.detail, options.gnuErrors));
    }
}

// What the command line asks to convert, and how.
BatchRequest batchRequest(const CliOptions &options, const QList<BatchInput> &inputs,
                          const FileName &outputDir)
{
    BatchRequest request;
    request.inputs = inputs;
    request.folderExtension = options.extension;
    request.place = options.toStdout ? OutputPlace::standardOutput()
            : outputDir.isEmpty()    ? OutputPlace::besideInput()
                                     : OutputPlace::inFolder(outputDir, options.tree);
    request.format = csvFormat(options);
    request.part = options.shard;
    return request;
}

// Two inputs writing one output is allowed (the last one's result remains) but seldom meant.
QString clashWarnings(const BatchPlan &plan, const QList<OutputClash> &clashes)
{
    QString warnings;
    for (const OutputClash &clash : clashes) {
        const BatchJob &earlier = plan.jobs[clash.earlier];
        const BatchJob &later = plan.jobs[clash.last];
        warnings += QStringLiteral("Warning: %1 and %2 both write %3; the result of %2 remains.\n")
                            .arg(earlier.input.display(), later.input.display(),
                                 later.output.display());
    }
    return warnings;
}

// One line on a terminal, rewritten in place; messages clear it before they are printed.
class ProgressLine {
public:
    ProgressLine(QIODevice &err, bool enabled) : m_err(err), m_enabled(enabled) { }

    void show(qsizetype done, qsizetype total, const BatchJob &next)
    {
        // A few updates a second are enough to read; thousands of small files would otherwise
        // cost as many terminal writes.
        if (!m_enabled || (m_shown.isValid() && m_shown.elapsed() < 100))
            return;
        m_shown.start();
        const QString name = next.readsStandardInput
                ? standardInput
                : FileName::fromPath(Main::GetFileNameFromPath(next.input.path())).display();
        write(m_err,
              QStringLiteral("\r\x1b[K[%1/%2] Processing: %3").arg(done).arg(total).arg(name));
    }

    void clear()
    {
        if (m_enabled && m_shown.isValid())
            write(m_err, QStringLiteral("\r\x1b[K"));
    }

private:
    QIODevice &m_err;
    bool m_enabled;
    QElapsedTimer m_shown;
};

// Converts every job of the plan, as many at a time as asked, and reports the failures in job
// order. Returns the exit status.
int convertAll(const BatchPlan &plan, const CliOptions &options, QIODevice &in, QIODevice &out,
               QIODevice &err, const CliEnvironment &environment)
{
    RunOptions run;
    run.threads = options.jobs;
    run.cancel = environment.cancel;
    run.standardInput = &in;
    run.standardOutput = &out;

    ProgressLine progress(err, environment.showProgress && !options.quiet);
    RunHooks hooks;
    hooks.finished = [&](qsizetype i, const JobStatus &status) {
        if (status.kind == JobStatus::Kind::Cancelled)
            return;
        if (status.failed()) {
            progress.clear();
            write(err, describeFailure(plan.jobs[i], status, options.gnuErrors));
        }
        if (i + 1 < plan.size())
            progress.show(i + 1, plan.size(), plan.jobs[i + 1]);
    };

    progress.show(0, plan.size(), plan.jobs.first());
    const BatchReport report = runBatch(plan, run, hooks);
    progress.clear();

    if (report.cancelled()) {
        if (!options.quiet)
            write(err, QStringLiteral("Stopped.\n"));
        return 130;
    }
    const qsizetype failed = report.failures();
    if (failed > 0 && !options.quiet)
        write(err,
              QStringLiteral("%1 of %2 files could not be converted.\n")
                      .arg(failed)
                      .arg(plan.size()));
    return failed > 0 ? 1 : 0;
}

int usageError(QIODevice &err, const QString &message)
{
    // The message may quote what was typed, control characters included.
    write(err,
          QStringLiteral("quillmere-cli: ") + readableName(message)
                  + QStringLiteral("\nTry 'quillmere-cli --help' for more information.\n"));
    return ExitStatus::UsageError;
}

// The inputs named on the command line, then those of the --files-from list. A listed "-" is a
// file of that name, never standard input. Returns nothing, with the exit status in status,
// when the list cannot be read or is not what the options say.
std::optional<QList<BatchInput>> allInputs(const CliOptions &options, QIODevice &in, QIODevice &err,
                                           int &status)
{
    QList<BatchInput> inputs;
    const FileName current = currentFolder(); // asked once: thousands of paths may follow
    for (const QString &path : options.paths) {
        inputs.append(path == standardInput
                              ? BatchInput::fromStandardInput()
                              : BatchInput::file(absoluteName(FileName::fromPath(path), current)));
    }
    if (options.filesFrom.isEmpty())
        return inputs;
    QFile listFile;
    QIODevice *list = &in;
    if (options.filesFrom != standardInput) {
        // Opened by its bytes: the name need not be UTF-8, nor the current folder nameable.
        const QByteArray name = FileName::fromPath(options.filesFrom).bytes();
        const int handle = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (handle < 0 || !listFile.open(handle, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
            write(err,
                  QStringLiteral("quillmere-cli: cannot read the file list ")
                          + FileName::fromPath(options.filesFrom).display() + QStringLiteral(": ")
                          + QString::fromLocal8Bit(std::strerror(errno)) + u'\n');
            status = ExitStatus::CannotWork;
            return std::nullopt;
        }
        list = &listFile;
    }
    const std::optional<QList<FileName>> listed = readFilesList(*list, options.nulSeparated);
    if (!listed) {
        status = usageError(err,
                            QStringLiteral("the file list %1 holds a NUL byte: give -0 for a "
                                           "NUL-separated list")
                                    .arg(FileName::fromPath(options.filesFrom).display()));
        return std::nullopt;
    }
    for (const FileName &path : *listed)
        inputs.append(BatchInput::file(absoluteName(path, current)));
    return inputs;
}

} // namespace

int runCli(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
           const CliEnvironment &environment)
{
    const int defaultJobs
            = environment.defaultJobs > 0 ? environment.defaultJobs : QThread::idealThreadCount();
    const ParsedCommandLine parsed = parseCommandLine(arguments, defaultJobs);
    switch (parsed.action) {
    case ParsedCommandLine::Action::Help:
        write(out, parsed.text);
        return 0;
    case ParsedCommandLine::Action::Version:
        write(out, parsed.text + u'\n');
        return 0;
    case ParsedCommandLine::Action::UsageError:
        return usageError(err, parsed.text);
    case ParsedCommandLine::Action::Run:
        break;
    }
    const CliOptions &options = parsed.options;

    FileName outputDir;
    if (!options.outputDir.isEmpty()) {
        outputDir = absoluteName(FileName::fromPath(options.outputDir), currentFolder());
        if (!isExistingFolder(outputDir)) {
            write(err,
                  QStringLiteral("quillmere-cli: the output folder does not exist: ")
                          + outputDir.display() + u'\n');
            return ExitStatus::CannotWork;
        }
    }

    int listStatus = 0;
    const std::optional<QList<BatchInput>> inputs = allInputs(options, in, err, listStatus);
    if (!inputs)
        return listStatus;
    BatchPlan plan = makePlan(batchRequest(options, *inputs, outputDir));
    reportPlanProblems(plan, options, err);
    // Every part of a job checks every named path, so a node without them fails every part.
    if (plan.missesInputs())
        return ExitStatus::CannotWork;
    // The files below a folder that could not be searched were not converted.
    const int searchStatus
            = plan.leftOut.isEmpty() ? ExitStatus::Converted : ExitStatus::NotConverted;
    if (options.toStdout && plan.size() != 1) {
        write(err,
              QStringLiteral("quillmere-cli: --stdout needs exactly one input file; the paths "
                             "give %1\n")
                      .arg(plan.size()));
        return ExitStatus::UsageError;
    }
    if (plan.isEmpty()) {
        if (!options.quiet)
            write(err, QStringLiteral("No files added.\n"));
        return searchStatus;
    }
    // Inputs writing one output share a part, so the part alone knows which of them wins.
    const QString warnings = clashWarnings(plan, convertOnlyTheLast(plan));
    // After the clashes: an earlier input must not run because the last one is up to date.
    if (options.update && leaveOutUpToDate(plan) > 0 && plan.isEmpty()) {
        if (!options.quiet)
            write(err, QStringLiteral("Every result is up to date.\n"));
        return searchStatus;
    }
    if (options.dryRun) {
        // A NUL-separated list is for programs: the names' own bytes. Lines are for people.
        for (const BatchJob &job : std::as_const(plan.jobs)) {
            const FileName input
                    = job.readsStandardInput ? FileName::fromPath(standardInput) : job.input;
            if (options.nulSeparated)
                out.write(input.bytes() + '\0');
            else
                write(out, input.display() + u'\n');
        }
        return searchStatus;
    }

    if (!options.quiet)
        write(err, warnings);
    return std::max(convertAll(plan, options, in, out, err, environment), searchStatus);
}
