#pragma once

#include "core/pathhelpers.h"

#include <QString>

// Where the result of one input file goes: the input's file name without its last extension,
// then ".csv", in the chosen folder or beside the input, with doubled separators cleaned. An
// input named without a folder has its result named without one.
QString outputPathFor(const QString &inputPath, bool saveToChosenFolder,
                      const QString &chosenFolder, Main::PathStyle style = Main::NativePathStyle);
