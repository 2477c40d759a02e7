#include "extras/samples.h"

#include "conversion/pathhelpers.h"
#include "filelist/addfolder.h"
#include "filelist/filelistview.h"
#include "shell/applicationfolder.h"
#include "shell/dialogs.h"
#include "shell/settingsstore.h"
#include "shell/startup.h"

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

void LoadSampleFiles(FileListView &list, SettingsStore &settings, Dialogs &dialogs)
{
    const QString snapshot = settings.ReadSetting(SnapshotKey, QString());
    if (!snapshot.isEmpty()) {
        for (const QString &path : snapshot.split(PathJoiner)) {
            if (FileExists(path) && !IsInList(list, path))
                list.appendRow(path);
        }
    }
    if (dialogs.question(QStringLiteral(
                "Would you like this software to open the folder where these sample files are "
                "stored (so that you can view them before working with them)?")))
        dialogs.openFolder(samplesFolder() + pathSeparator());
}

} // namespace Main
