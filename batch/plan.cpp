#include "batch/plan.h"

#include "batch/folderfiles.h"
#include "batch/outputidentity.h"
#include "core/outputnaming.h"

#include <QFileInfo>
#include <QHash>

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
        } else if (request.folderExtension && isExistingFolder(input.path)) {
            const QStringList files = filesInFolder(input.path.path(), *request.folderExtension);
            if (files.isEmpty())
                plan.foldersWithoutFiles.append(input.path);
            for (const QString &file : files)
                addFile(FileName::fromPath(file));
        } else {
            addFile(input.path);
        }
    }
    return plan;
}

void keepPart(BatchPlan &plan, const Shard &part)
{
    BatchPlan kept;
    kept.format = plan.format;
    kept.foldersWithoutFiles = plan.foldersWithoutFiles;
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
        // The same input listed twice gives the same result twice: nothing is lost.
        const auto found = earlier.constFind(key);
        if (found != earlier.constEnd() && plan.jobs[*found].input != plan.jobs[i].input)
            clashes.append({*found, i});
        earlier.insert(key, i);
    }
    return clashes;
}
