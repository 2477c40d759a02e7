#pragma once

#include <QIcon>

namespace Main {

// The product icon in its four sizes, 32, 48, 128 and 256 pixels, built into the program.
QIcon productIcon();

} // namespace Main
