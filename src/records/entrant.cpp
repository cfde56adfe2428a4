#include "records/entrant.h"

#include <algorithm>

namespace kelvora {

std::int32_t computeNameKey(std::u16string_view name) {
    std::uint32_t h = 0;
    auto step = [&h](std::uint32_t byte) {
        h = (h << 4) + byte;
        const std::uint32_t g = h & 0xF0000000u;
        if (g != 0)
            h ^= g >> 24;
        h &= ~g;
    };
    for (char16_t unit : name) {
        if (unit == 0)
            break;
        step(unit & 0xFFu);
        step(static_cast<std::uint32_t>(unit) >> 8);
    }
    return static_cast<std::int32_t>(h & 0x7FFFFFFFu);
}

Entrant makeEntrant(std::u16string_view name) {
    Entrant e;
    setField(e.name, name);
    e.nameKey = computeNameKey(e.text());
    return e;
}

bool sameEntrant(const Entrant& a, const Entrant& b) {
    return a.nameKey == b.nameKey && equalsIgnoreCase(a.text(), b.text());
}

int findEntrant(std::span<const Entrant> sortedByKey, const Entrant& entrant) {
    auto range = std::equal_range(sortedByKey.begin(), sortedByKey.end(), entrant,
                                  [](const Entrant& x, const Entrant& y) { return x.nameKey < y.nameKey; });
    const std::u16string_view wanted = entrant.text();
    for (auto it = range.first; it != range.second; ++it) {
        if (equalsIgnoreCase(it->text(), wanted))
            return static_cast<int>(it - sortedByKey.begin());
    }
    return -1;
}

} // namespace kelvora
