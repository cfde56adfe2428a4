#include "screen/font_metrics.h"

namespace kelvora {

int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t num = product < 0 ? -product : product;
    const std::int64_t den = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t q = (num + den / 2) / den;
    return static_cast<int>(negative ? -q : q);
}

int fontPixelHeight(int points, int logicalDpiY) {
    return mulDiv(points, logicalDpiY, 72);
}

} // namespace kelvora
