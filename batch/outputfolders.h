#pragma once

#include "core/filename.h"

#include <QString>

// Makes the folders of the output below root (root ends in a separator and is a prefix of the
// output's path) that are not there yet. No symbolic link below root is followed, so nothing
// is made or written outside it. Returns empty text when the output's folder is there, or why
// it is not.
QString makeOutputFolders(const FileName &root, const FileName &output);
