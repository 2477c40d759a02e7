#include "batch/plan.h"

#include "batch/folderfiles.h"
#include "batch/outputidentity.h"
#include "core/outputnaming.h"
#include "core/pathhelpers.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names under which the system knows files (see outputIdentity()), resolving each folder
// once: thousands of files share a few.
class FileKeys {
public:
    QString keyOf(const QString &path)
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString folder = path.left(slash + 1);
        auto resolved = m_folders.find(folder);
        if (resolved == m_folders.end()) {
            const QString identity = outputIdentity(folder + u'x');
            resolved = m_folders.insert(folder, identity.left(identity.size() - 1));
        }
        return *resolved + QStringView(path).sliced(slash + 1);
    }

    QString keyOf(const BatchJob &job)
    {
        return job.writesStandardOutput() ? QString() : keyOf(job.output.path());
    }

private:
    QHash<QString, QString> m_folders; // folder as named, with its separator -> resolved
};

// A job whose output is an input of the run would destroy that input, or the input would be
// read after it was replaced: the job is not converted, and says which input it spares.
void spareInputs(BatchPlan &plan, FileKeys &keys)
{
    // Every output ends in ".csv", so only such inputs can be met.
    QHash<QString, qsizetype> inputs;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        const BatchJob &job = plan.jobs[i];
        if (!job.readsStandardInput && job.input.path().endsWith(QLatin1String(".csv")))
            inputs.insert(keys.keyOf(job.input.path()), i);
    }
    if (inputs.isEmpty())
        return;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        const auto spared = inputs.constFind(plan.outputKeys[i]);
        if (spared == inputs.constEnd())
            continue;
        BatchJob &job = plan.jobs[i];
        job.planned = std::make_shared<const JobStatus>(JobStatus::skipped(
                QStringLiteral("The result of %1 would replace %2, an input of this run")
                        .arg(job.input.display(), plan.jobs[*spared].input.display())));
    }
}

// Inputs that write one output share the part of the last of them, whose result remains: a
// part decides alone which of them wins.
void sharePartsOfOneOutput(const BatchPlan &plan, QList<int> &parts)
{
    QHash<QString, qsizetype> last;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (!plan.outputKeys[i].isEmpty())
            last.insert(plan.outputKeys[i], i);
    }
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (!plan.outputKeys[i].isEmpty())
            parts[i] = parts[last.value(plan.outputKeys[i])];
    }
}

// Keeps the jobs for which keep(index) holds, in their order.
template<typename Keep> void keepJobs(BatchPlan &plan, Keep &&keep)
{
    QList<BatchJob> jobs;
    QStringList outputKeys;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (!keep(i))
            continue;
        jobs.append(plan.jobs[i]);
        outputKeys.append(plan.outputKeys[i]);
    }
    plan.jobs = std::move(jobs);
    plan.outputKeys = std::move(outputKeys);
}

// Why the system would not give the named path to the run: missing, or not readable (a folder
// must be listable too); empty text when it would. Asks for the path's status only, so that a
// named pipe is not opened.
QString whyUnreadable(const FileName &path, bool &isFolder)
{
    const QByteArray bytes = path.bytes();
    struct stat status { };
    if (::stat(bytes.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    isFolder = S_ISDIR(status.st_mode);
    const int wanted = isFolder ? R_OK | X_OK : R_OK;
    if (::faccessat(AT_FDCWD, bytes.constData(), wanted, AT_EACCESS) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace

BatchPlan makePlan(const BatchRequest &request)
{
    BatchPlan plan;
    plan.format = request.format;
    FileKeys keys;
    QList<int> parts; // with request.part, the part of each job
    const auto addJob = [&](BatchJob job, const QString &partKey) {
        plan.outputKeys.append(keys.keyOf(job));
        if (request.part)
            parts.append(shardOf(partKey, request.part->count));
        plan.jobs.append(std::move(job));
    };
    const bool inFolder = request.place.kind == OutputPlace::Kind::Folder;
    const bool mirrored = inFolder && request.place.mirrorFolders;
    const FileName outputRoot
            = FileName::fromPath(Main::CleanDoubleBackslashes(request.place.folder.path() + u'/'));
    // relativeFolder: the input's folder below the named folder it was found in, with a final
    // separator; empty for a named file.
    const auto addFile = [&](const FileName &input, const QString &relativeFolder) {
        BatchJob job;
        job.input = input;
        if (request.place.kind == OutputPlace::Kind::StandardOutput)
            return addJob(std::move(job), QString());
        QString folder = request.place.folder.path();
        if (mirrored) {
            job.outputRoot = outputRoot;
            folder = outputRoot.path() + relativeFolder;
        }
        job.output = FileName::fromPath(outputPathFor(input.path(), inFolder, folder));
        // What every machine names alike, however it reaches the files: the output's path
        // below the output folder, or below the named folder beside whose files it is written.
        QString partKey;
        if (request.part) {
            partKey = Main::GetFileNameFromPath(job.output.path());
            if (!inFolder || mirrored)
                partKey.prepend(relativeFolder);
        }
        addJob(std::move(job), partKey);
    };

    for (const BatchInput &input : request.inputs) {
        if (input.standardInput) {
            BatchJob job;
            job.readsStandardInput = true;
            addJob(std::move(job), QString());
            continue;
        }
        if (!request.folderExtension) {
            addFile(input.path, QString());
            continue;
        }
        bool isFolder = false;
        if (const QString reason = whyUnreadable(input.path, isFolder); !reason.isEmpty()) {
            plan.unusableInputs.append({UnusableInput::Problem::CannotRead, input.path, reason});
        } else if (!isFolder) {
            addFile(input.path, QString());
        } else {
            const QStringList files
                    = filesInFolder(input.path.path(), *request.folderExtension, plan.leftOut);
            if (files.isEmpty())
                plan.unusableInputs.append(
                        {UnusableInput::Problem::NoMatchingFile, input.path, QString()});
            // The scan's rows start with the folder, its separators made single.
            const qsizetype top = Main::CleanDoubleBackslashes(input.path.path() + u'/').size();
            for (const QString &file : files)
                addFile(FileName::fromPath(file), Main::GetFolderFromPath(file.mid(top)));
        }
    }
    // Every input of the run, whatever its part, is spared.
    spareInputs(plan, keys);
    if (request.part) {
        sharePartsOfOneOutput(plan, parts);
        keepJobs(plan, [&](qsizetype i) { return parts[i] == request.part->index; });
    }
    return plan;
}

qsizetype leaveOutUpToDate(BatchPlan &plan)
{
    const auto modified = [](const FileName &file, struct stat &status) {
        return ::stat(file.bytes().constData(), &status) == 0;
    };
    const auto upToDate = [&](qsizetype i) {
        const BatchJob &job = plan.jobs[i];
        struct stat input { };
        struct stat output { };
        if (job.planned || job.writesStandardOutput() || job.readsStandardInput
            || !modified(job.output, output) || !S_ISREG(output.st_mode)
            || !modified(job.input, input))
            return false;
        return std::tie(output.st_mtim.tv_sec, output.st_mtim.tv_nsec)
                >= std::tie(input.st_mtim.tv_sec, input.st_mtim.tv_nsec);
    };
    const qsizetype before = plan.size();
    keepJobs(plan, [&](qsizetype i) { return !upToDate(i); });
    return before - plan.size();
}

namespace {

// For each job, the last job writing its output; a job the plan has decided already is its own.
QList<qsizetype> lastWriters(const BatchPlan &plan)
{
    const auto decided = [&](qsizetype i) {
        return plan.outputKeys[i].isEmpty() || plan.jobs[i].planned != nullptr;
    };
    QHash<QString, qsizetype> last;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (!decided(i))
            last.insert(plan.outputKeys[i], i);
    }
    QList<qsizetype> writers(plan.size());
    for (qsizetype i = 0; i < plan.size(); ++i)
        writers[i] = decided(i) ? i : last.value(plan.outputKeys[i]);
    return writers;
}

} // namespace

QList<OutputClash> findClashes(const BatchPlan &plan)
{
    const QList<qsizetype> last = lastWriters(plan);
    QList<OutputClash> clashes;
    QSet<std::pair<QByteArray, qsizetype>> named;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        // The same input listed twice gives the same result twice: nothing is lost.
        const QByteArray input = plan.jobs[i].input.bytes();
        if (last[i] == i || input == plan.jobs[last[i]].input.bytes())
            continue;
        const std::pair<QByteArray, qsizetype> pair{input, last[i]};
        if (!named.contains(pair)) {
            named.insert(pair);
            clashes.append({i, last[i]});
        }
    }
    return clashes;
}

QList<OutputClash> convertOnlyTheLast(BatchPlan &plan)
{
    const QList<OutputClash> clashes = findClashes(plan);
    const QList<qsizetype> last = lastWriters(plan);
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (last[i] != i) {
            plan.jobs[i].planned = std::make_shared<const JobStatus>(
                    JobStatus::superseded(QStringLiteral("The result of %1 replaces it")
                                                  .arg(plan.jobs[last[i]].input.display())));
        }
    }
    return clashes;
}
