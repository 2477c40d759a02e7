#include "core/outputnaming.h"

QString outputPathFor(const QString &inputPath, bool saveToChosenFolder,
                      const QString &chosenFolder, Main::PathStyle style)
{
    using namespace Main;
    const QString baseName = RemoveExtension(GetFileNameFromPath(inputPath, style));
    const QString folder = saveToChosenFolder ? chosenFolder : GetFolderFromPath(inputPath, style);
    return CleanDoubleBackslashes(folder + pathSeparator(style) + baseName + QStringLiteral(".csv"),
                                  style);
}
