#include "screen/name_fit.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <map>
#include <unordered_set>
#include <utility>

#include "platform/text.h"
#include "screen/screen_geometry.h"
#include "screen/screen_paint.h"
#include "screen/text_scroll_area.h"

namespace kelvora {

namespace {

// The distinct non-empty names, in list order.
std::vector<std::u16string_view> distinctNames(const EntrantList& names) {
    std::vector<std::u16string_view> distinct;
    std::unordered_set<std::u16string_view> seen;
    for (const Entrant& entrant : names)
        if (!entrant.text().empty() && seen.insert(entrant.text()).second)
            distinct.push_back(entrant.text());
    return distinct;
}

// The narrowest slot of a press of shown names: columns differ by a pixel where the cells' real-number edges
// are truncated, and any name may land in any of them.
int narrowestSlot(const TextGrid& grid, int shown) {
    int narrowest = INT_MAX;
    for (int column = 0; column < std::min(grid.cols, shown); ++column)
        narrowest = std::min(narrowest, grid.slotRect(column).width());
    return std::max(0, narrowest);
}

} // namespace

std::vector<NameOverflow> findOverflowingNames(const InterfaceSettings& settings, const PrizeList& prizes,
                                               const EntrantList& names, bool spaceAligned,
                                               const NameFitScreen& screen) {
    std::vector<NameOverflow> overflows;
    const std::vector<std::u16string_view> distinct = distinctNames(names);
    if (distinct.empty())
        return overflows;

    const BandGeometry area = computeBandGeometry(Band::ScrollArea, settings, screen.width, screen.height);
    const std::u16string face = scrollFaceName(settings.scrollFont, spaceAligned);
    const DigitHiding hiding{settings.hideDigits != 0, settings.hideFrom, settings.hideTo};
    const int effect = effectWidth(textEffectOf(settings.scrollFont.effect));

    // The widths of every name's stop line, by font size and winner-number prefix: prizes that share both
    // share the measuring.
    std::map<std::pair<int, std::u16string>, std::vector<int>> measured;
    std::u16string line;
    for (std::size_t p = 0; p < prizes.size(); ++p) {
        const PrizeItem& prize = prizes[p];
        // A full press, as DrawRun::beginPress counts it before the pool runs short.
        const int shown = std::clamp(std::min(prize.perDraw, prize.quota), 0, kMaxShown);
        if (shown == 0)
            continue;
        const int available = narrowestSlot(layoutTextGrid(area.inner, prize.perLine, shown), shown);

        // A stop carries the winner numbers; the prize's digits are the widest any of its numbers takes
        // (the screen's faces draw every digit the same width).
        const std::u16string prefix =
            settings.showWinnerNumbers ? winnerNumberPrefix(prize.quota, prize.quota) : std::u16string();
        const auto [entry, fresh] = measured.try_emplace({prize.fontSize, prefix});
        std::vector<int>& widths = entry->second;
        if (fresh) {
            const ScreenFont font =
                createBandFont(face, settings.scrollFont, prize.fontSize, false, screen.logicalDpiY);
            widths.reserve(distinct.size());
            for (std::u16string_view name : distinct) {
                line = prefix;
                line += name;
                const std::u16string drawn = hideDigitsText(line, hiding, int(prefix.size()));
                widths.push_back(
                    lineAdvance(font, QString::fromUtf16(drawn.data(), qsizetype(drawn.size()))) + effect);
            }
        }

        std::vector<std::size_t> cut;
        for (std::size_t i = 0; i < distinct.size(); ++i)
            if (widths[i] > available)
                cut.push_back(i);
        std::stable_sort(cut.begin(), cut.end(),
                         [&widths](std::size_t a, std::size_t b) { return widths[a] > widths[b]; });
        for (std::size_t i : cut)
            overflows.push_back(NameOverflow{int(p), std::u16string(distinct[i]), widths[i], available});
    }
    return overflows;
}

void reportNameFit(const std::vector<NameOverflow>& overflows, const PrizeList& prizes,
                   const NameFitScreen& screen, Findings& findings) {
    const std::u16string size = formatText(u"%sx%s", {decimalText(screen.width), decimalText(screen.height)});
    for (auto first = overflows.begin(); first != overflows.end();) {
        const auto last = std::find_if(first, overflows.end(), [&first](const NameOverflow& o) {
            return o.prizeIndex != first->prizeIndex;
        });
        const long long count = last - first;
        const std::u16string available = decimalText(first->availableWidth);
        std::u16string what;
        if (count == 1) {
            what = formatText(u"“%s” 在 %s 上放不下：宽 %s 像素，格子只有 %s 像素",
                              {first->name, size, decimalText(first->textWidth), available});
        } else {
            std::u16string widest;
            for (auto o = first; o != last && o - first < 3; ++o) {
                if (o != first)
                    widest += u"、";
                widest += formatText(u"“%s” 宽 %s 像素", {o->name, decimalText(o->textWidth)});
            }
            what = formatText(u"%s 个名字在 %s 上放不下，最长的 %s，格子只有 %s 像素",
                              {decimalText(count), size, widest, available});
        }
        const std::size_t index = std::size_t(first->prizeIndex);
        std::u16string where = index < prizes.size() ? std::u16string(prizes[index].nameText()) : u"奖项";
        findings.push_back(Finding{Severity::Warning, std::move(where), std::move(what),
                                   u"减小奖项字号、减少每行人数或缩短名字", FixPlace::Prizes});
        first = last;
    }
}

} // namespace kelvora
