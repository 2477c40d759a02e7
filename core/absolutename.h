#pragma once

#include "core/filename.h"

// The current folder as the system names it; empty when it has no name the system can give
// (one longer than PATH_MAX).
FileName currentFolder();

// The path as the system opens it from the current folder, written from the root: "." parts
// and doubled separators go, since they change nothing, but ".." stays, since after a symbolic
// link it leads elsewhere than the text suggests. A final separator stays (it asks for a
// folder). Without a current folder a relative path stays relative, never made one below "/".
FileName absoluteName(const FileName &path, const FileName &current);
