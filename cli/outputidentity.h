#pragma once

#include <QString>

// The output file a path really names: its folder fully resolved (symbolic links and ".."
// followed, as realpath does; the folder as given when it cannot be resolved), then "/" and
// the file name unchanged. Two paths that write the same file give the same text.
QString outputIdentity(const QString &outputPath);
