#include "batch/plan.h"

#include "batch/folderfiles.h"
#include "batch/outputidentity.h"
#include "core/outputnaming.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The keys of the outputs, resolving each folder once: thousands of outputs share a few.
class OutputKeys {
public:
    QString keyOf(const BatchJob &job)
    {
        if (job.writesStandardOutput())
            return {};
        const QString &output = job.output.path();
        const qsizetype slash = output.lastIndexOf(u'/');
        const QString folder = output.left(slash + 1);
        auto resolved = m_folders.find(folder);
        if (resolved == m_folders.end()) {
            const QString identity = outputIdentity(folder + u'x');
            resolved = m_folders.insert(folder, identity.left(identity.size() - 1));
        }
        return *resolved + QStringView(output).sliced(slash + 1);
    }

private:
    QHash<QString, QString> m_folders; // folder as named, with its separator -> resolved
};

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
    OutputKeys keys;
    const auto addJob = [&](BatchJob job) {
        plan.outputKeys.append(keys.keyOf(job));
        plan.jobs.append(std::move(job));
    };
    const auto addFile = [&](const FileName &input) {
        BatchJob job;
        job.input = input;
        if (request.place.kind != OutputPlace::Kind::StandardOutput) {
            const bool inFolder = request.place.kind == OutputPlace::Kind::Folder;
            job.output = FileName::fromPath(
                    outputPathFor(input.path(), inFolder, request.place.folder.path()));
        }
        addJob(std::move(job));
    };

    for (const BatchInput &input : request.inputs) {
        if (input.standardInput) {
            BatchJob job;
            job.readsStandardInput = true;
            addJob(std::move(job));
            continue;
        }
        if (!request.folderExtension) {
            addFile(input.path);
            continue;
        }
        bool isFolder = false;
        if (const QString reason = whyUnreadable(input.path, isFolder); !reason.isEmpty()) {
            plan.unusableInputs.append({UnusableInput::Problem::CannotRead, input.path, reason});
        } else if (!isFolder) {
            addFile(input.path);
        } else {
            const QStringList files
                    = filesInFolder(input.path.path(), *request.folderExtension, plan.leftOut);
            if (files.isEmpty())
                plan.unusableInputs.append(
                        {UnusableInput::Problem::NoMatchingFile, input.path, QString()});
            for (const QString &file : files)
                addFile(FileName::fromPath(file));
        }
    }
    return plan;
}

bool BatchPlan::missesInputs() const
{
    return std::any_of(unusableInputs.cbegin(), unusableInputs.cend(), [](const auto &input) {
        return input.problem == UnusableInput::Problem::CannotRead;
    });
}

void keepPart(BatchPlan &plan, const Shard &part)
{
    BatchPlan kept;
    kept.format = plan.format;
    kept.unusableInputs = plan.unusableInputs;
    kept.leftOut = plan.leftOut;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        // Standard output has no key; its part is that of the current folder.
        const QString key = plan.jobs[i].writesStandardOutput() ? outputIdentity(QString())
                                                                : plan.outputKeys[i];
        if (shardOf(key, part.count) != part.index)
            continue;
        kept.jobs.append(plan.jobs[i]);
        kept.outputKeys.append(plan.outputKeys[i]);
    }
    plan = std::move(kept);
}

QList<OutputClash> findClashes(const BatchPlan &plan)
{
    QList<OutputClash> clashes;
    QHash<QString, qsizetype> earlier;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        const QString &key = plan.outputKeys[i];
        if (key.isEmpty())
            continue;
        const auto found = earlier.constFind(key);
        if (found != earlier.constEnd())
            clashes.append({*found, i});
        earlier.insert(key, i);
    }
    return clashes;
}
