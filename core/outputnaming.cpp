#include "core/outputnaming.h"

QString outputPathFor(const QString &inputPath, bool saveToChosenFolder,
                      const QString &chosenFolder, Main::PathStyle style)
{
    using namespace Main;
    const QString baseName = RemoveExtension(GetFileNameFromPath(inputPath, style));
    const QString folder = saveToChosenFolder ? chosenFolder : GetFolderFromPath(inputPath, style);
    // A relative name without a folder has its result beside it, in the current folder, not
    // in the root.
    if (folder.isEmpty())
        return baseName + QStringLiteral(".csv");
    return CleanDoubleBackslashes(folder + pathSeparator(style) + baseName + QStringLiteral(".csv"),
                                  style);
}
