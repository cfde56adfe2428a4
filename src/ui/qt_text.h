#pragma once
// The records keep their text as UTF-16; Qt's widgets take QString. The one conversion at the window's edge.

#include <QString>

#include <string>
#include <string_view>

namespace kelvora {

inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string toU16String(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

} // namespace kelvora
