#pragma once

#include <QString>

class Dialogs;
class FileListView;
class SettingsStore;

// The example files delivered in the "Samples" folder of the application folder.
namespace Main {

// The Samples folder: the application folder followed by "/Samples".
QString samplesFolder();

// Stores the full paths of the files now in the Samples folder, joined by "|", under
// "Snapshot" (empty text when there is none). Failures of the store pass to the caller.
void CaptureSampleList(SettingsStore &settings);

// Appends every stored sample file that still exists and is not yet listed, then asks whether
// to show the Samples folder and, on Yes, opens it without waiting. Failures pass to the caller.
void LoadSampleFiles(FileListView &list, SettingsStore &settings, Dialogs &dialogs);

} // namespace Main
