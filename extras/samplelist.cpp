#include "extras/samplelist.h"

#include "conversion/pathhelpers.h"
#include "core/applicationfolder.h"
#include "core/fileexists.h"
#include "core/settingsstore.h"
#include "filelist/addfolder.h"

namespace Main {

namespace {

const QString SnapshotKey = QStringLiteral("Snapshot");
const QChar PathJoiner = QLatin1Char('|');

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
    settings.WriteSetting(SnapshotKey, paths.join(PathJoiner));
}

QStringList storedSampleFiles(SettingsStore &settings)
{
    const QString snapshot = settings.ReadSetting(SnapshotKey, QString());
    QStringList existing;
    if (snapshot.isEmpty())
        return existing;
    for (const QString &path : snapshot.split(PathJoiner)) {
        if (FileExists(path))
            existing.append(path);
    }
    return existing;
}

} // namespace Main
