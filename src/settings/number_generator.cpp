#include "settings/number_generator.h"

#include <algorithm>
#include <limits>

#include "records/entrant.h"
#include "settings/list_import.h"

namespace kelvora {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::u16string formatNumber(std::int32_t value, int minDigits) {
    char16_t digits[16];
    int n = 0;
    auto v = static_cast<std::uint32_t>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    std::u16string text;
    if (minDigits > n)
        text.assign(static_cast<std::size_t>(minDigits - n), u'0');
    while (n > 0)
        text.push_back(digits[--n]);
    return text;
}

std::vector<std::u16string_view> filterPieces(std::u16string_view filter) {
    std::vector<std::u16string_view> pieces;
    std::size_t pos = 0;
    while (pos <= filter.size()) {
        std::size_t end = pos;
        while (end < filter.size() && filter[end] != u',' && filter[end] != u'\uFF0C')
            ++end;
        const std::u16string_view piece = trimmedText(filter.substr(pos, end - pos));
        if (!piece.empty())
            pieces.push_back(piece);
        pos = end + 1;
    }
    return pieces;
}

bool containsAny(std::u16string_view text, const std::vector<std::u16string_view>& pieces) {
    for (std::u16string_view piece : pieces) {
        if (text.find(piece) != std::u16string_view::npos)
            return true;
    }
    return false;
}

} // namespace

std::int32_t readNumberField(std::u16string_view text) {
    text = trimmedText(text);
    if (text.empty())
        return 0;
    std::int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return 0;
        value = std::min<std::int64_t>(value * 10 + (c - u'0'), kInt32Max);
    }
    return static_cast<std::int32_t>(value);
}

NumberSeries clampedSeries(NumberSeries series) {
    series.start = std::max(series.start, 0);
    series.end = std::max(series.end, series.start);
    series.step = std::max(series.step, 1);
    series.width = std::clamp(series.width, 1, kMaxNumberWidth);
    return series;
}

bool containsUnlucky(std::u16string_view text, std::u16string_view filter) {
    return containsAny(text, filterPieces(filter));
}

GeneratedNumbers generateNumbers(const NumberSeries& input) {
    const NumberSeries series = clampedSeries(input);
    const std::u16string_view prefix =
        std::u16string_view(series.prefix)
            .substr(0, std::min<std::size_t>(series.prefix.size(), kNumberAffixUnits));
    const std::u16string_view suffix =
        std::u16string_view(series.suffix)
            .substr(0, std::min<std::size_t>(series.suffix.size(), kNumberAffixUnits));
    const std::u16string_view filter =
        std::u16string_view(series.unluckyFilter)
            .substr(0, std::min<std::size_t>(series.unluckyFilter.size(), kUnluckyFilterUnits));
    const std::vector<std::u16string_view> unlucky = filterPieces(filter);
    const int minDigits = series.fixedWidth ? series.width : 1;

    GeneratedNumbers out;
    // 64-bit so that the step past the end near 2147483647 is seen instead of wrapping to a negative number.
    for (std::int64_t v = series.start; v <= series.end; v += series.step) {
        const std::u16string number = formatNumber(static_cast<std::int32_t>(v), minDigits);
        if (containsAny(number, unlucky))
            continue;
        if (static_cast<int>(out.lines.size()) == kMaxEntrants) {
            out.limitReached = true;
            break;
        }
        std::u16string line;
        line.reserve(prefix.size() + number.size() + suffix.size());
        line.append(prefix).append(number).append(suffix);
        out.lines.push_back(std::move(line));
    }
    return out;
}

} // namespace kelvora
