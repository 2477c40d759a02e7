#pragma once

class Dialogs;
class FileListView;
class SettingsStore;

namespace Main {

// Appends every stored sample file that still exists and is not yet listed, then asks whether
// to show the Samples folder and, on Yes, opens it without waiting. Failures pass to the caller.
void LoadSampleFiles(FileListView &list, SettingsStore &settings, Dialogs &dialogs);

} // namespace Main
