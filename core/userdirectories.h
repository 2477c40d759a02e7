#pragma once

#include <QString>

// The folder the freedesktop.org user-dirs setting (user-dirs.dirs in $XDG_CONFIG_HOME, else in
// ~/.config) gives for a name such as "DESKTOP", read as QStandardPaths reads it outside its
// test mode: quotes dropped, a leading $HOME replaced, a trailing slash removed. Empty text when
// the entry is there but empty; the fallback when the file or the entry is missing.
QString xdgUserDirectory(const QString &name, const QString &fallback);
