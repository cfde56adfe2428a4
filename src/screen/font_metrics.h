#pragma once
// Font sizes are stored in points and turned into pixel heights the way the screen has always sized them:
// MulDiv(points, logical pixels per inch, 72), rounded half away from zero.

#include <cstdint>

namespace kelvora {

// a * b / c in 64-bit, rounded half away from zero; -1 when c is 0 (the Windows convention).
int mulDiv(int a, int b, int c);

int fontPixelHeight(int points, int logicalDpiY);

} // namespace kelvora
