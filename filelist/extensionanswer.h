#pragma once

#include <QString>

namespace AddFolder {

// The extension an answer to the add-folder prompt names: the answer without the blanks around
// it and without a leading "*." or "." (".xml" and "*.xml" name "xml", "*.*" names "*", every
// file). Empty text when nothing is left, or when the answer holds a path separator, which no
// file name can hold.
QString extensionFromAnswer(const QString &answer);

} // namespace AddFolder
