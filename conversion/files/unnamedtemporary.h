#pragma once

#include <QByteArray>

// The folder for temporary files: TMPDIR as it is set, or /tmp. Never resolved further, so a
// missing folder stays named and refused rather than becoming another one.
QByteArray temporaryFolder();

// Opens a new file for reading and writing in the temporary folder that has no name, or loses
// it at once where the file system keeps none, so that nothing is left behind whatever ends the
// program. Returns the descriptor, or -1 with errno set.
int openUnnamedTemporary();
