#pragma once

#include "core/filename.h"

#include <QList>

class QIODevice;

// The paths of a file list as a scheduler or "find" hands it over: one a line (a CR before the
// line break is dropped), or NUL-separated when nulSeparated is set. Empty entries are skipped;
// every other entry is taken as it is, blanks included.
QList<FileName> readFilesList(QIODevice &list, bool nulSeparated);
