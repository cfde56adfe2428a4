#pragma once
// Colours are kept in the settings records exactly as the files hold them: Windows COLORREF values,
// 0x00BBGGRR, that is the bytes red, green, blue and zero in file order. Stored files may carry a non-zero
// top byte; the accessors ignore it, as the original platform's macros did.

#include <cstdint>

namespace kelvora {

using ColorRef = std::uint32_t;

constexpr ColorRef makeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
           (static_cast<ColorRef>(blue) << 16);
}
constexpr std::uint8_t colorRed(ColorRef color) {
    return static_cast<std::uint8_t>(color & 0xFF);
}
constexpr std::uint8_t colorGreen(ColorRef color) {
    return static_cast<std::uint8_t>((color >> 8) & 0xFF);
}
constexpr std::uint8_t colorBlue(ColorRef color) {
    return static_cast<std::uint8_t>((color >> 16) & 0xFF);
}

// The two colours every default font of the draw screen uses: grey effects on light yellow text.
inline constexpr ColorRef kColorGrey = makeColorRef(128, 128, 128);
inline constexpr ColorRef kColorLightYellow = makeColorRef(255, 255, 128);

} // namespace kelvora
