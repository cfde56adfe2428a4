#pragma once
// Ticket and seat numbers: an arithmetic series, optionally zero-padded, with a prefix and a suffix, leaving
// out the numbers that contain a digit group the operator finds unlucky. The lines go into the import's text
// box and are imported like pasted ones.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/typed_text.h"

namespace kelvora {

inline constexpr int kMaxNumberWidth = 16;
inline constexpr int kNumberAffixUnits = 47; // prefix, suffix
inline constexpr int kUnluckyFilterUnits = 255;
inline constexpr std::u16string_view kTooManyNumbersText = u"最多生成3万条";
inline constexpr std::u16string_view kNoNumbersText = u"没有生成号码:\n所有号码都含有要滤除的数字";

struct NumberSeries {
    std::int32_t start = 1;
    std::int32_t end = 518;
    std::int32_t step = 2;
    bool fixedWidth = true;
    std::int32_t width = 3; // digits when fixedWidth: 8 becomes 008
    std::u16string prefix;
    std::u16string suffix;
    std::u16string unluckyFilter; // pieces separated by "," or "，"
};

// The clamps the dialog writes back into its fields: width 1..16, end at least start, step at least 1.
// Negative start or end (never typed, only possible through code) become 0.
NumberSeries clampedSeries(NumberSeries series);

// True when text contains any piece of filter: filter split at ASCII and full-width commas, each piece
// trimmed, empty pieces dropped; case-sensitive. An empty filter finds nothing.
bool containsUnlucky(std::u16string_view text, std::u16string_view filter);

struct GeneratedNumbers {
    std::vector<std::u16string> lines;
    bool limitReached = false; // more than 30000 would have been made: the first 30000 were kept
};

// The clamped series start, start + step, ... up to end, each formatted (zero-padded when fixedWidth),
// skipped when the formatted number (never prefix or suffix) is unlucky, else prefix + number + suffix.
// The series stops before it would leave the 32-bit range instead of wrapping around. Runs of numbers that
// the filter removes are skipped without being formatted one by one, so any input ends at once.
GeneratedNumbers generateNumbers(const NumberSeries& series);

} // namespace kelvora
