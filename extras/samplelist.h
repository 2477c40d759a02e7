#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// The example files delivered in the "Samples" folder of the application folder.
namespace Main {

// The Samples folder: the application folder followed by "/Samples".
QString samplesFolder();

// Stores the full paths of the files now in the Samples folder, joined by "|", under
// "Snapshot" (empty text when there is none). Failures of the store pass to the caller.
void CaptureSampleList(SettingsStore &settings);

// The stored sample files that still exist, in stored order. A stored file whose folder is not
// the present Samples folder is taken from the present one by its name. Failures of the store
// pass to the caller.
QStringList storedSampleFiles(SettingsStore &settings);

} // namespace Main
