#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The answer to --help or --version among the window program's arguments (the program's name
// first), or nothing when the window should start. Needs no display and no application object,
// so the program can answer where no window could open.
std::optional<QString> informationAnswer(const QStringList &arguments);
