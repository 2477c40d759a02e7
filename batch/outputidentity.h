#pragma once

#include <QString>

// The name under which the system knows the output file: its folder with symbolic links and
// ".." resolved, as realpath does (the folder as given when it cannot be resolved), then "/"
// and the file name unchanged. Two spellings of one output give the same identity.
QString outputIdentity(const QString &outputPath);
