#include "cli/runcli.h"

#include "batch/plan.h"
#include "batch/run.h"
#include "cli/commandline.h"
#include "cli/fileslist.h"
#include "core/filename.h"
#include "core/pathhelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QThread>

namespace {

const QString standardInput = QStringLiteral("-");

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

FileName absolutePath(const QString &path, const QDir &current = QDir::current())
{
    return FileName::fromPath(QDir::cleanPath(current.absoluteFilePath(path)));
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

// One line in the form compilers use, which editors and tools jump to.
QString describeFailureGnu(const BatchJob &job, const JobStatus &status)
{
    QString where = job.readsStandardInput ? standardInput : job.input.display();
    if (status.kind == JobStatus::Kind::NotRead && status.line > 0)
        where += u':' + QString::number(status.line) + u':' + QString::number(status.column);
    QString reason = status.reason.trimmed().replace(u'\n', u' ');
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
    case JobStatus::Kind::Cancelled:
        return {};
    case JobStatus::Kind::NotRead:
        return QStringLiteral("Error reading ") + describeSource(job) + QStringLiteral("\nerror:")
                + status.reason.trimmed() + QStringLiteral("\nLine:") + QString::number(status.line)
                + QStringLiteral("\nposition:") + QString::number(status.column) + u'\n';
    case JobStatus::Kind::NotWritten:
        return QStringLiteral("Error writing ") + describeTarget(job) + QStringLiteral(" (from ")
                + describeSource(job) + QStringLiteral("): ") + status.reason.trimmed() + u'\n';
    case JobStatus::Kind::Failed:
        return QStringLiteral("Error converting ") + describeSource(job) + QStringLiteral(": ")
                + status.reason.trimmed() + u'\n';
    case JobStatus::Kind::Skipped:
        return QStringLiteral("Skipped ") + describeSource(job) + QStringLiteral(": ")
                + status.reason.trimmed() + u'\n';
    }
    return {};
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
                                     : OutputPlace::inFolder(outputDir);
    request.format = csvFormat(options);
    return request;
}

// Two inputs writing one output is allowed (the later one's result remains) but seldom meant.
void warnAboutClashes(const BatchPlan &plan, QIODevice &err)
{
    for (const OutputClash &clash : findClashes(plan)) {
        const BatchJob &earlier = plan.jobs[clash.earlier];
        const BatchJob &later = plan.jobs[clash.later];
        write(err,
              QStringLiteral("Warning: %1 and %2 both write %3; the result of %2 remains.\n")
                      .arg(earlier.input.display(), later.input.display(), later.output.display()));
    }
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
    if (!options.quiet)
        warnAboutClashes(plan, err);

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

// The inputs named on the command line, then those of the --files-from list. A listed "-" is a
// file of that name, never standard input. Returns nothing when the list cannot be read.
std::optional<QList<BatchInput>> allInputs(const CliOptions &options, QIODevice &in, QIODevice &err)
{
    QList<BatchInput> inputs;
    const QDir current = QDir::current(); // asked once: thousands of paths may follow
    for (const QString &path : options.paths) {
        inputs.append(path == standardInput ? BatchInput::fromStandardInput()
                                            : BatchInput::file(absolutePath(path, current)));
    }
    if (options.filesFrom.isEmpty())
        return inputs;
    QFile listFile(options.filesFrom);
    QIODevice *list = &in;
    if (options.filesFrom != standardInput) {
        if (!listFile.open(QIODevice::ReadOnly)) {
            write(err,
                  QStringLiteral("quillmere-cli: cannot read the file list ") + options.filesFrom
                          + QStringLiteral(": ") + listFile.errorString() + u'\n');
            return std::nullopt;
        }
        list = &listFile;
    }
    for (const FileName &path : readFilesList(*list, options.nulSeparated))
        inputs.append(BatchInput::file(absolutePath(path.path(), current)));
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
        write(err,
              QStringLiteral("quillmere-cli: ") + parsed.text
                      + QStringLiteral("\nTry 'quillmere-cli --help' for more information.\n"));
        return 2;
    case ParsedCommandLine::Action::Run:
        break;
    }
    const CliOptions &options = parsed.options;

    FileName outputDir;
    if (!options.outputDir.isEmpty()) {
        outputDir = absolutePath(options.outputDir);
        if (!isExistingFolder(outputDir)) {
            write(err,
                  QStringLiteral("quillmere-cli: the output folder does not exist: ")
                          + outputDir.display() + u'\n');
            return 1;
        }
    }

    const std::optional<QList<BatchInput>> inputs = allInputs(options, in, err);
    if (!inputs)
        return 1;
    BatchPlan plan = makePlan(batchRequest(options, *inputs, outputDir));
    // A folder that gives no file is named, so that a mistyped extension is noticed.
    for (const FileName &folder : std::as_const(plan.foldersWithoutFiles)) {
        if (!options.quiet)
            write(err,
                  QStringLiteral("quillmere-cli: no file matches *.%1 in %2\n")
                          .arg(options.extension, folder.display()));
    }
    if (options.shard)
        keepPart(plan, *options.shard);
    if (options.toStdout && plan.size() != 1) {
        write(err,
              QStringLiteral("quillmere-cli: --stdout needs exactly one input file; the paths "
                             "give %1\n")
                      .arg(plan.size()));
        return 2;
    }
    if (plan.isEmpty()) {
        if (!options.quiet)
            write(err, QStringLiteral("No files added.\n"));
        return 0;
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
        return 0;
    }

    return convertAll(plan, options, in, out, err, environment);
}
