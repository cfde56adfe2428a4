#pragma once
// UTF-16 helpers for the fixed-size, zero-terminated text fields of the records, and the conversions to the
// UTF-8 that file paths and the C library use on this platform.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvora {

// The text of a fixed array up to its first zero unit (or the whole array when it has none).
template <std::size_t N> std::u16string_view fieldText(const char16_t (&field)[N]) {
    std::size_t len = 0;
    while (len < N && field[len] != 0)
        ++len;
    return std::u16string_view(field, len);
}

// Stores text into a fixed array: cut at N-1 units, terminated, the rest zeroed, so that a record written to
// disk never carries stale bytes after its terminator.
template <std::size_t N> void setField(char16_t (&field)[N], std::u16string_view text) {
    const std::size_t len = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < len; ++i)
        field[i] = text[i];
    for (std::size_t i = len; i < N; ++i)
        field[i] = 0;
}

// One UTF-16 unit lowered under the process locale (ASCII always folds).
char16_t foldCase(char16_t unit);

// Equal ignoring letter case, unit by unit under the process locale.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

// <0, 0, >0 comparing unit by unit after folding case.
int compareIgnoreCase(std::u16string_view a, std::u16string_view b);

std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

// The C library's message for an error number, as UTF-16.
std::u16string errorText(int errnum);

// The number in decimal digits, "-" first when negative: counts and sizes inside messages and on screen.
std::u16string decimalText(long long value);

// Replaces each "%s" and "%S" in order with the next argument; other text is kept as it stands.
std::u16string formatText(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);

} // namespace kelvora
