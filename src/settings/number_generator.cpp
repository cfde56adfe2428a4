#include "settings/number_generator.h"

#include <algorithm>
#include <iterator>

#include "records/entrant.h"
#include "settings/list_import.h"

namespace kelvora {

namespace {

// Writes value's decimal digits, zero-padded to minDigits (at most 16), into buffer; returns the digits.
// No allocation: a filter that removes most numbers makes this run for every value of a long series.
std::u16string_view formatNumber(std::int32_t value, int minDigits,
                                 char16_t (&buffer)[kMaxNumberWidth + 10]) {
    std::size_t pos = std::size(buffer);
    auto v = static_cast<std::uint32_t>(value);
    do {
        buffer[--pos] = static_cast<char16_t>(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (std::size(buffer) - pos < static_cast<std::size_t>(minDigits))
        buffer[--pos] = u'0';
    return std::u16string_view(buffer + pos, std::size(buffer) - pos);
}

std::vector<std::u16string_view> filterPieces(std::u16string_view filter) {
    std::vector<std::u16string_view> pieces;
    std::size_t pos = 0;
    while (pos <= filter.size()) {
        std::size_t end = pos;
        while (end < filter.size() && filter[end] != u',' && filter[end] != u'\uFF0C')
            ++end;
        const std::u16string_view piece = trimTypedText(filter.substr(pos, end - pos));
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

// Where the earliest-ending piece found in text ends (the index of its last unit), or npos.
std::size_t firstMatchEnd(std::u16string_view text, const std::vector<std::u16string_view>& pieces) {
    std::size_t end = std::u16string_view::npos;
    for (std::u16string_view piece : pieces) {
        const std::size_t at = text.find(piece);
        if (at != std::u16string_view::npos)
            end = std::min(end, at + piece.size() - 1);
    }
    return end;
}

} // namespace

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
    char16_t buffer[kMaxNumberWidth + 10];
    // 64-bit so that the step past the end near 2147483647 is seen instead of wrapping to a negative number.
    for (std::int64_t v = series.start; v <= series.end;) {
        const std::u16string_view number = formatNumber(static_cast<std::int32_t>(v), minDigits, buffer);
        const std::size_t matchEnd = firstMatchEnd(number, unlucky);
        if (matchEnd != std::u16string_view::npos) {
            // Every number that keeps the digits up to the match's end (padding included) holds the piece
            // too, so the whole run is skipped at once: a filter that removes nearly everything ("0" with 16
            // digits) would otherwise take minutes over two billion numbers.
            std::int64_t block = 1;
            for (std::size_t tail = number.size() - 1 - matchEnd; tail > 0; --tail)
                block *= 10;
            const std::int64_t next = (v / block + 1) * block;
            v = series.start + (next - series.start + series.step - 1) / series.step * series.step;
            continue;
        }
        if (static_cast<int>(out.lines.size()) == kMaxEntrants) {
            out.limitReached = true;
            break;
        }
        std::u16string line;
        line.reserve(prefix.size() + number.size() + suffix.size());
        line.append(prefix).append(number).append(suffix);
        out.lines.push_back(std::move(line));
        v += series.step;
    }
    return out;
}

} // namespace kelvora
