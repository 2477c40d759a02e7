#include "shell/loadsamples.h"

#include "core/dialogs.h"
#include "core/pathhelpers.h"
#include "extras/samplelist.h"
#include "shell/filelistview.h"

namespace Main {

void LoadSampleFiles(FileListView &list, SettingsStore &settings, Dialogs &dialogs)
{
    for (const QString &path : storedSampleFiles(settings)) {
        if (!IsInList(list, path))
            list.appendRow(path);
    }
    if (dialogs.question(QStringLiteral(
                "Would you like this software to open the folder where these sample files are "
                "stored (so that you can view them before working with them)?")))
        dialogs.openFolder(samplesFolder() + pathSeparator());
}

} // namespace Main
