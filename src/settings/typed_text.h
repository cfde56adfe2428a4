#pragma once
// What the operator typed into a field or pasted into a list, read the one way every editor reads it.

#include <cstdint>
#include <string_view>

namespace kelvora {

// The text with CR, LF, U+3000, space, tab, vertical tab and form feed removed at both ends.
std::u16string_view trimTypedText(std::u16string_view text);

// A number field as typed: unsigned decimal digits, surrounding blanks allowed. Empty or invalid text reads
// as 0; values above 2147483647 read as 2147483647, so that no field turns negative and the clamps see them
// as large.
std::int32_t readNumberField(std::u16string_view text);

} // namespace kelvora
