#include "extras/samplelist.h"

#include "core/applicationfolder.h"
#include "core/fileexists.h"
#include "core/pathhelpers.h"
#include "core/settingsstore.h"
#include "filelist/addfolder.h"

#include <QRegularExpression>

namespace Main {

namespace {

const QChar PathJoiner = QLatin1Char('|');

// The stored paths are absolute, so only a joiner followed by "/" starts the next one; a "|"
// inside a folder or file name stays part of its path.
QStringList splitSnapshot(const QString &snapshot)
{
    static const QRegularExpression joiner(QStringLiteral("\\|(?=/)"));
    return snapshot.split(joiner);
}

// A list stored by a copy of the program elsewhere (the build folder before an install) names
// that copy's samples; the same file of the present Samples folder stands in for it.
QString inPresentFolder(const QString &storedPath, const QString &folder)
{
    const qsizetype slash = storedPath.lastIndexOf(pathSeparator());
    if (storedPath.left(slash) == folder)
        return storedPath;
    return folder + pathSeparator() + storedPath.mid(slash + 1);
}

} // namespace

QString samplesFolder()
{
    return applicationFolder() + pathSeparator() + QStringLiteral("Samples");
}

void CaptureSampleList(SettingsStore &settings)
{
    const QString folder = samplesFolder();
    QStringList paths;
    for (const QString &name : AddFolder::ListFiles(folder, QStringLiteral("*.*")))
        paths.append(folder + pathSeparator() + name);
    settings.write(Setting::Snapshot, paths.join(PathJoiner));
}

QStringList storedSampleFiles(SettingsStore &settings)
{
    const QString snapshot = settings.read(Setting::Snapshot);
    QStringList existing;
    if (snapshot.isEmpty())
        return existing;
    const QString folder = samplesFolder();
    for (const QString &stored : splitSnapshot(snapshot)) {
        const QString path = inPresentFolder(stored, folder);
        if (FileExists(path))
            existing.append(path);
    }
    return existing;
}

} // namespace Main
