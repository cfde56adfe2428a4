#include "settings/interface_rules.h"

#include <algorithm>

#include "platform/text.h"

namespace kelvora {

bool clampMargins(Margins& margins) {
    for (std::int32_t* value : {&margins.left, &margins.top, &margins.right, &margins.bottom})
        *value = std::clamp(*value, 0, 100);
    margins.right = std::min(margins.right, 100 - margins.left);
    margins.bottom = std::min(margins.bottom, 100 - margins.top);
    return margins.left + margins.right >= 80 || margins.top + margins.bottom >= 70;
}

std::int32_t clampFontSize(std::int32_t sizePt) {
    return std::clamp(sizePt, FontStyle::kMinSizePt, FontStyle::kMaxSizePt);
}

std::u16string clampInterfaceSettings(InterfaceSettings& s) {
    std::int32_t& main = s.mainTitleHeightPct;
    std::int32_t& sub = s.subtitleHeightPct;
    std::int32_t& info = s.infoBarHeightPct;
    main = std::clamp(main, 0, 100);
    sub = std::clamp(sub, 0, 100);
    info = std::clamp(info, 0, 100);
    sub = std::min(sub, 100 - main);
    info = std::min(info, 100 - sub - main);

    s.scrollSpeed = std::clamp(s.scrollSpeed, 1, 60);
    s.hideFrom = std::max(s.hideFrom, 1);
    s.hideTo = std::max(s.hideTo, s.hideFrom);
    s.prizeImageWidthPct = std::clamp(s.prizeImageWidthPct, 0, 100);

    // A region of 0 is hidden on purpose and never warned about; the scroll area is always shown.
    const auto small = [](std::int32_t value, std::int32_t limit, std::u16string_view name) {
        return value > 0 && value < limit ? name : std::u16string_view{};
    };
    const std::u16string_view parts[] = {
        small(main, 6, u"主标题\n"),
        small(sub, 4, u"副标题\n"),
        small(info, 4, u"信息条\n"),
        100 - info - sub - main < 10 ? std::u16string_view(u"滚动区\n") : std::u16string_view{},
        small(s.prizeImageWidthPct, 5, u"奖品图\n"),
    };
    if (std::all_of(std::begin(parts), std::end(parts), [](std::u16string_view p) { return p.empty(); }))
        return {};
    return formatText(u"%s%s%s%s%s\n很小哦~~\n\n可能导致内容显示不全或不可见\n如想隐藏，可直接将高度调为零",
                      {parts[0], parts[1], parts[2], parts[3], parts[4]});
}

} // namespace kelvora
