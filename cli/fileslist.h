#pragma once

#include "core/filename.h"

#include <QList>

#include <optional>

class QIODevice;

// The paths of a file list as a scheduler or "find" hands it over: one a line (a CR before the
// line break is dropped), or NUL-separated when nulSeparated is set. Empty entries are skipped;
// every other entry is taken as it is, blanks included. Nothing when a list of lines holds a
// NUL byte: it was made NUL-separated, and its lines would be names that were never meant.
std::optional<QList<FileName>> readFilesList(QIODevice &list, bool nulSeparated);
