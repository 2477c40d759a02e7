#pragma once

#include <QtMath>

// The window is laid out in twips; 15 twips make a pixel at 96 dots per inch, and Qt scales
// pixels for screens of higher density.
inline int twipsToPixels(int twips)
{
    return qRound(twips / 15.0);
}
