#pragma once

#include <QString>

namespace Main {

// True when the file system can tell the path's last-modified time; never fails.
bool FileExists(const QString &path);

} // namespace Main
