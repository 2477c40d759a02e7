#pragma once

#include <QString>
#include <QStringList>

// The Open dialog's result text for the chosen files (absolute paths), in the form
// PushButton1_Click reads:
// - nothing chosen: empty text;
// - one file: its full path;
// - several files in one folder: the folder (no trailing separator unless it is the root), a NUL,
//   and the file names separated by NULs, in the order given;
// - several files from different folders (a desktop dialog's Recent or Search view): an empty
//   folder part, that is a leading NUL, then each full path separated by NULs, in the order given.
// Paths are returned with the platform's native separators.
QString openFilesResult(const QStringList &files);
