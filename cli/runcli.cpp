#include "cli/runcli.h"

#include "batch/folderfiles.h"
#include "batch/orderedrun.h"
#include "batch/outputidentity.h"
#include "cli/commandline.h"
#include "cli/fileslist.h"
#include "conversion/convertfile.h"
#include "conversion/files/inputfile.h"
#include "conversion/flatten.h"
#include "core/nativename.h"
#include "core/outputnaming.h"
#include "core/pathhelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QThread>

#include <sys/stat.h>

namespace {

const QString standardInput = QStringLiteral("-");

struct Job {
    QString input; // absolute path, or "-" for standard input
    QString output; // absolute path, or empty for standard output
    ConversionResult result;
};

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

QString absolutePath(const QString &path, const QDir &current = QDir::current())
{
    return QDir::cleanPath(current.absoluteFilePath(path));
}

QString describeSource(const Job &job)
{
    return job.input == standardInput ? QStringLiteral("standard input") : readableName(job.input);
}

QString describeTarget(const Job &job)
{
    return job.output.isEmpty() ? QStringLiteral("standard output") : readableName(job.output);
}

// The result goes to the stream as it is made, as any filter's does: a document that turns out
// not to be well-formed ends the output where it stands, and the report on standard error says
// why.
ConversionResult convertToStream(const Job &job, QIODevice &in, QIODevice &out,
                                 const CsvFormat &format, const std::atomic_bool *cancel)
{
    if (job.input == standardInput)
        return ConvertToCSV(in, &out, format, cancel);
    InputFile input(job.input);
    if (!input.open()) {
        ConversionResult result;
        result.status = ConversionResult::Status::LoadFailed;
        result.reason = input.errorString();
        return result;
    }
    return ConvertToCSV(input, &out, format, cancel);
}

CsvFormat csvFormat(const CliOptions &options)
{
    CsvFormat format;
    format.delimiter = options.delimiter;
    format.quoting = options.quoting;
    format.byteOrderMark = options.byteOrderMark;
    format.crlf = options.crlf;
    format.attributes = options.attributes;
    return format;
}

// One line in the form compilers use, which editors and tools jump to.
QString describeFailureGnu(const Job &job)
{
    const ConversionResult &result = job.result;
    QString where = job.input;
    if (result.status == ConversionResult::Status::LoadFailed && result.line > 0)
        where += u':' + QString::number(result.line) + u':' + QString::number(result.column);
    QString reason = result.reason.trimmed().replace(u'\n', u' ');
    if (result.status == ConversionResult::Status::WriteFailed)
        reason = QStringLiteral("cannot write ") + describeTarget(job) + QStringLiteral(": ")
                + reason;
    return where + QStringLiteral(": error: ") + reason + u'\n';
}

QString describeFailure(const Job &job, bool gnuErrors)
{
    const ConversionResult &result = job.result;
    if (gnuErrors && !result.converted() && result.status != ConversionResult::Status::Cancelled)
        return describeFailureGnu(job);
    switch (result.status) {
    case ConversionResult::Status::Converted:
    case ConversionResult::Status::Cancelled:
        return {};
    case ConversionResult::Status::LoadFailed:
        return QStringLiteral("Error reading ") + describeSource(job) + QStringLiteral("\nerror:")
                + result.reason.trimmed() + QStringLiteral("\nLine:") + QString::number(result.line)
                + QStringLiteral("\nposition:") + QString::number(result.column) + u'\n';
    case ConversionResult::Status::WriteFailed:
        return QStringLiteral("Error writing ") + describeTarget(job) + QStringLiteral(" (from ")
                + describeSource(job) + QStringLiteral("): ") + result.reason.trimmed() + u'\n';
    case ConversionResult::Status::WalkFailed:
        return QStringLiteral("Error converting ") + describeSource(job) + QStringLiteral(": ")
                + result.reason.trimmed() + u'\n';
    }
    return {};
}

// By the name's bytes, which QFileInfo would not keep.
bool isFolder(const QString &path)
{
    struct stat status { };
    return ::stat(encodeNativeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The conversions the paths ask for, in conversion order: folders give the files they hold.
// A folder that gives none is named on err, so that a mistyped extension is noticed.
QList<Job> collectJobs(const CliOptions &options, const QStringList &paths,
                       const QString &outputDir, QIODevice &err)
{
    QList<Job> jobs;
    const auto addJob = [&](const QString &input) {
        const QString output = options.toStdout
                ? QString()
                : outputPathFor(input, !outputDir.isEmpty(), outputDir);
        jobs.append(Job{input, output, {}});
    };
    const QDir current = QDir::current(); // asked once: thousands of paths may follow
    for (const QString &path : paths) {
        if (path == standardInput) {
            jobs.append(Job{standardInput, QString(), {}});
            continue;
        }
        const QString input = absolutePath(path, current);
        if (isFolder(input)) {
            const QStringList files = filesInFolder(input, options.extension);
            if (files.isEmpty() && !options.quiet)
                write(err,
                      QStringLiteral("quillmere-cli: no file matches *.%1 in %2\n")
                              .arg(options.extension, readableName(input)));
            for (const QString &file : files)
                addJob(file);
        } else {
            addJob(input);
        }
    }
    return jobs;
}

// The real identity of every job's output, so that two spellings of one file are one output.
QStringList outputIdentities(const QList<Job> &jobs)
{
    QHash<QString, QString> resolvedFolders; // thousands of outputs share a few folders
    QStringList identities;
    identities.reserve(jobs.size());
    for (const Job &job : jobs) {
        if (job.output.isEmpty()) {
            identities << QString();
            continue;
        }
        const QString folder = QFileInfo(job.output).path();
        auto resolved = resolvedFolders.find(folder);
        if (resolved == resolvedFolders.end())
            resolved = resolvedFolders.insert(folder,
                                              QFileInfo(outputIdentity(folder + u"/x")).path());
        identities << *resolved + u'/' + QFileInfo(job.output).fileName();
    }
    return identities;
}

// Two inputs writing one output is allowed (the later one's result remains) but seldom meant.
void warnAboutClashes(const QList<Job> &jobs, const QStringList &outputs, QIODevice &err)
{
    QHash<QString, qsizetype> earlier;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        if (outputs[i].isEmpty())
            continue;
        const auto found = earlier.constFind(outputs[i]);
        if (found != earlier.constEnd())
            write(err,
                  QStringLiteral("Warning: %1 and %2 both write %3; the result of %2 remains.\n")
                          .arg(jobs[*found].input, jobs[i].input, jobs[i].output));
        earlier.insert(outputs[i], i);
    }
}

// One line on a terminal, rewritten in place; messages clear it before they are printed.
class ProgressLine {
public:
    ProgressLine(QIODevice &err, bool enabled) : m_err(err), m_enabled(enabled) { }

    void show(qsizetype done, qsizetype total, const QString &nextInput)
    {
        // A few updates a second are enough to read; thousands of small files would otherwise
        // cost as many terminal writes.
        if (!m_enabled || (m_shown.isValid() && m_shown.elapsed() < 100))
            return;
        m_shown.start();
        write(m_err,
              QStringLiteral("\r\x1b[K[%1/%2] Processing: %3")
                      .arg(done)
                      .arg(total)
                      .arg(readableName(Main::GetFileNameFromPath(nextInput))));
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

// Converts every job, as many at a time as asked, and reports the failures in job order.
// Returns the exit status.
int convertAll(QList<Job> &jobs, const CliOptions &options, QIODevice &in, QIODevice &out,
               QIODevice &err, const CliEnvironment &environment)
{
    const QStringList outputs = outputIdentities(jobs);
    if (!options.quiet)
        warnAboutClashes(jobs, outputs, err);

    const CsvFormat format = csvFormat(options);
    const auto work = [&](qsizetype i) {
        Job &job = jobs[i];
        try {
            job.result = job.output.isEmpty()
                    ? convertToStream(job, in, out, format, environment.cancel)
                    : convertFile(job.input, job.output, format, environment.cancel);
        } catch (const std::exception &failure) {
            job.result.status = ConversionResult::Status::WalkFailed;
            job.result.reason = QString::fromLocal8Bit(failure.what());
        } catch (...) {
            job.result.status = ConversionResult::Status::WalkFailed;
            job.result.reason = QStringLiteral("unknown failure");
        }
    };

    ProgressLine progress(err, environment.showProgress && !options.quiet);
    qsizetype failed = 0;
    bool cancelled = false;
    const auto report = [&](qsizetype i, bool ran) {
        const Job &job = jobs[i];
        if (!ran || job.result.status == ConversionResult::Status::Cancelled) {
            cancelled = true;
            return;
        }
        if (!job.result.converted()) {
            ++failed;
            progress.clear();
            write(err, describeFailure(job, options.gnuErrors));
        }
        if (i + 1 < jobs.size())
            progress.show(i + 1, jobs.size(), jobs[i + 1].input);
    };

    progress.show(0, jobs.size(), jobs.first().input);
    runOrdered(outputs, options.jobs, work, report, environment.cancel);
    progress.clear();

    if (cancelled) {
        if (!options.quiet)
            write(err, QStringLiteral("Stopped.\n"));
        return 130;
    }
    if (failed > 0 && !options.quiet)
        write(err,
              QStringLiteral("%1 of %2 files could not be converted.\n")
                      .arg(failed)
                      .arg(jobs.size()));
    return failed > 0 ? 1 : 0;
}

// The paths named on the command line, then those of the --files-from list. A listed "-" is a
// file of that name, never standard input. Returns nothing when the list cannot be read.
std::optional<QStringList> allPaths(const CliOptions &options, QIODevice &in, QIODevice &err)
{
    QStringList paths = options.paths;
    if (options.filesFrom.isEmpty())
        return paths;
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
    for (const QString &path : readFilesList(*list, options.nulSeparated))
        paths.append(absolutePath(path));
    return paths;
}

// Keeps the jobs whose output belongs to the chosen part, in their order.
void keepShard(QList<Job> &jobs, const Shard &shard)
{
    jobs.removeIf([&shard](const Job &job) {
        return shardOf(outputIdentity(job.output), shard.count) != shard.index;
    });
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

    QString outputDir;
    if (!options.outputDir.isEmpty()) {
        outputDir = absolutePath(options.outputDir);
        if (!isFolder(outputDir)) {
            write(err,
                  QStringLiteral("quillmere-cli: the output folder does not exist: ")
                          + readableName(outputDir) + u'\n');
            return 1;
        }
    }

    const std::optional<QStringList> paths = allPaths(options, in, err);
    if (!paths)
        return 1;
    QList<Job> jobs = collectJobs(options, *paths, outputDir, err);
    if (options.shard)
        keepShard(jobs, *options.shard);
    if (options.toStdout && jobs.size() != 1) {
        write(err,
              QStringLiteral("quillmere-cli: --stdout needs exactly one input file; the paths "
                             "give %1\n")
                      .arg(jobs.size()));
        return 2;
    }
    if (jobs.isEmpty()) {
        if (!options.quiet)
            write(err, QStringLiteral("No files added.\n"));
        return 0;
    }
    if (options.dryRun) {
        // A NUL-separated list is for programs: the names' own bytes. Lines are for people.
        for (const Job &job : std::as_const(jobs)) {
            if (options.nulSeparated)
                out.write(encodeNativeName(job.input) + '\0');
            else
                write(out, readableName(job.input) + u'\n');
        }
        return 0;
    }

    return convertAll(jobs, options, in, out, err, environment);
}
