#include "cli/runcli.h"

#include "cli/commandline.h"
#include "cli/folderfiles.h"
#include "cli/orderedrun.h"
#include "conversion/convertfile.h"
#include "conversion/flatten.h"
#include "conversion/outputnaming.h"
#include "conversion/pathhelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>

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

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString describeSource(const Job &job)
{
    return job.input == standardInput ? QStringLiteral("standard input") : job.input;
}

QString describeTarget(const Job &job)
{
    return job.output.isEmpty() ? QStringLiteral("standard output") : job.output;
}

bool copyDevice(QIODevice &from, QIODevice &to)
{
    while (!from.atEnd()) {
        const QByteArray block = from.read(1 << 20);
        if (block.isEmpty() || to.write(block) != block.size())
            return false;
    }
    return true;
}

ConversionResult writeFailure(const QString &reason)
{
    ConversionResult result;
    result.status = ConversionResult::Status::WriteFailed;
    result.reason = reason;
    return result;
}

// A document that turns out not to be well-formed must leave nothing on standard output, as it
// leaves no file, so the result waits in a temporary file until it is complete.
ConversionResult convertToStream(const Job &job, QIODevice &in, QIODevice &out,
                                 const CsvFormat &format, const std::atomic_bool *cancel)
{
    QTemporaryDir spoolFolder;
    if (!spoolFolder.isValid())
        return writeFailure(QStringLiteral("cannot create a temporary folder: ")
                            + spoolFolder.errorString());
    const QString spoolPath = spoolFolder.filePath(QStringLiteral("result.csv"));

    ConversionResult result;
    if (job.input == standardInput) {
        QFile spool(spoolPath);
        if (!spool.open(QIODevice::WriteOnly))
            return writeFailure(spool.errorString());
        result = ConvertToCSV(in, &spool, format, cancel);
        if (result.converted() && !spool.flush())
            return writeFailure(spool.errorString());
    } else {
        result = convertFile(job.input, spoolPath, format, cancel);
    }
    if (!result.converted())
        return result;

    QFile spool(spoolPath);
    if (!spool.open(QIODevice::ReadOnly) || !copyDevice(spool, out))
        return writeFailure(out.errorString());
    return result;
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

// The conversions the paths ask for, in conversion order: folders give the files they hold.
// A folder that gives none is named on err, so that a mistyped extension is noticed.
QList<Job> collectJobs(const CliOptions &options, const QString &outputDir, QIODevice &err)
{
    QList<Job> jobs;
    const auto addJob = [&](const QString &input) {
        const QString output = options.toStdout
                ? QString()
                : outputPathFor(input, !outputDir.isEmpty(), outputDir);
        jobs.append(Job{input, output, {}});
    };
    for (const QString &path : options.paths) {
        if (path == standardInput) {
            jobs.append(Job{standardInput, QString(), {}});
            continue;
        }
        const QString input = absolutePath(path);
        if (QFileInfo(input).isDir()) {
            const QStringList files = filesInFolder(input, options.extension);
            if (files.isEmpty() && !options.quiet)
                write(err,
                      QStringLiteral("quillmere-cli: no file matches *.%1 in %2\n")
                              .arg(options.extension, input));
            for (const QString &file : files)
                addJob(file);
        } else {
            addJob(input);
        }
    }
    return jobs;
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
                      .arg(Main::GetFileNameFromPath(nextInput)));
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
    QStringList outputs;
    outputs.reserve(jobs.size());
    for (const Job &job : std::as_const(jobs))
        outputs << job.output;

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
        if (!Main::FolderExists(outputDir)) {
            write(err,
                  QStringLiteral("Folder does not exist. Please select another folder.\n")
                          + outputDir + u'\n');
            return 1;
        }
    }

    QList<Job> jobs = collectJobs(options, outputDir, err);
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
        for (const Job &job : std::as_const(jobs))
            write(out, job.input + u'\n');
        return 0;
    }

    return convertAll(jobs, options, in, out, err, environment);
}
