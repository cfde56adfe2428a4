#include "rehearsal/list_check.h"

#include <algorithm>
#include <map>
#include <string>

#include "platform/text.h"

namespace kelvora {

namespace {

std::u16string number(long long value) {
    return decimalText(value);
}

std::u16string quoted(std::u16string_view name) {
    return formatText(u"“%s”", {name});
}

std::u16string lowered(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& unit : out)
        unit = foldCase(unit);
    return out;
}

EntrantList sortedByKey(EntrantList list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const Entrant& a, const Entrant& b) { return a.nameKey < b.nameKey; });
    return list;
}

bool contains(const EntrantList& sorted, const Entrant& entrant) {
    return findEntrant(sorted, entrant) >= 0;
}

void add(Findings& findings, Severity severity, std::u16string where, std::u16string what,
         std::u16string fix) {
    // The name list's own findings are fixed in its editor, everything about a prize in the prizes'.
    const FixPlace place = where == u"名单" ? FixPlace::Names : FixPlace::Prizes;
    findings.push_back(Finding{severity, std::move(where), std::move(what), std::move(fix), place});
}

} // namespace

void checkNameList(const EntrantList& names, Findings& findings) {
    if (names.empty()) {
        add(findings, Severity::Error, u"名单", u"抽奖名单为空", u"按 F3 添加或导入名单");
        return;
    }
    std::map<std::u16string, std::vector<std::u16string_view>> byLowered;
    int empty = 0;
    for (const Entrant& entrant : names) {
        if (entrant.text().empty()) {
            ++empty;
            continue;
        }
        byLowered[lowered(entrant.text())].push_back(entrant.text());
    }
    if (empty > 0)
        add(findings, Severity::Warning, u"名单", formatText(u"%s 个空名字", {number(empty)}),
            u"按 F3 删除空行");
    for (const auto& entry : byLowered) {
        const std::vector<std::u16string_view>& spellings = entry.second;
        if (spellings.size() < 2)
            continue;
        const std::u16string_view first = spellings.front();
        const bool sameText = std::all_of(spellings.begin(), spellings.end(),
                                          [first](std::u16string_view s) { return s == first; });
        if (sameText)
            add(findings, Severity::Warning, u"名单",
                formatText(u"“%s” 出现 %s 次",
                           {spellings.front(), number(static_cast<long long>(spellings.size()))}),
                u"删除重复的名字，或加上部门、工号以区分");
        else
            add(findings, Severity::Warning, u"名单",
                formatText(u"“%s” 与 “%s” 只有大小写不同", {spellings[0], spellings[1]}),
                u"改成观众能区分的名字");
    }
}

void checkPrizes(const PrizeList& prizes, const EntrantList& names, Findings& findings) {
    if (prizes.empty()) {
        add(findings, Severity::Error, u"奖项", u"没有奖项", u"按 F2 添加奖项");
        return;
    }
    const EntrantList everyone = sortedByKey(names);
    // Who is still in the pool before each prize, as far as the lists decide it: the white-listed of earlier
    // prizes will have won those (with Caps Lock on).
    EntrantList whiteWinners; // sorted by key as it grows
    long long pool = static_cast<long long>(std::min<std::size_t>(names.size(), kMaxEntrants));
    for (const PrizeItem& prize : prizes) {
        const std::u16string where(prize.nameText());
        const EntrantList black = sortedByKey(prize.blackList);
        long long blackInPool = 0;
        for (const Entrant& b : black)
            if (contains(everyone, b) && !contains(whiteWinners, b))
                ++blackInPool;

        if (prize.quota > pool)
            add(findings, Severity::Error, where,
                formatText(u"名额 %s > 可中奖人数 %s", {number(prize.quota), number(pool)}),
                u"减少名额或添加名单");
        else if (prize.quota > pool - blackInPool)
            add(findings, Severity::Warning, where,
                formatText(u"名额 %s > 黑名单以外的可中奖人数 %s",
                           {number(prize.quota), number(pool - blackInPool)}),
                u"大写锁定开时黑名单中的人也会中这个奖；减少名额或缩短黑名单");

        for (const Entrant& b : prize.blackList)
            if (!contains(everyone, b))
                add(findings, Severity::Warning, where,
                    formatText(u"黑名单中的 “%s” 不在抽奖名单中", {b.text()}),
                    u"从黑名单删除，或检查名字是否写错");

        std::map<std::int32_t, std::u16string_view> orders;
        long long whiteInPool = 0;
        for (const Entrant& w : prize.whiteList) {
            const std::u16string name = quoted(w.text());
            if (!contains(everyone, w)) {
                add(findings, Severity::Warning, where, formatText(u"白名单中的 %s 不在抽奖名单中", {name}),
                    u"从白名单删除，或检查名字是否写错");
                continue;
            }
            if (contains(black, w)) {
                add(findings, Severity::Warning, where,
                    formatText(u"%s 同时在白名单和黑名单中，按黑名单处理", {name}), u"从其中一个名单删除");
                continue;
            }
            if (contains(whiteWinners, w)) {
                add(findings, Severity::Note, where,
                    formatText(u"白名单中的 %s 会先中前面奖项的白名单", {name}),
                    u"一人只能中奖一次，这里不会再中；从其中一个白名单删除");
                continue;
            }
            ++whiteInPool;
            // An earlier prize draws at random among everybody but its black list: it can use this person up.
            std::u16string earlier;
            for (const PrizeItem* before = prizes.data(); before != &prize; ++before) {
                const auto listed = [&w](const EntrantList& list) {
                    return std::any_of(list.begin(), list.end(),
                                       [&w](const Entrant& e) { return sameEntrant(e, w); });
                };
                if (listed(before->blackList) || listed(before->whiteList))
                    continue;
                earlier += earlier.empty() ? u"“" : u"、“";
                earlier += before->nameText();
                earlier += u"”";
            }
            if (!earlier.empty())
                add(findings, Severity::Warning, where,
                    formatText(u"白名单中的 %s 可能先在%s中被随机抽中", {name, earlier}),
                    u"把此人加入这些奖项的黑名单");
            if (w.winOrder > prize.quota)
                add(findings, Severity::Warning, where,
                    formatText(u"%s 的中奖顺序 %s > 名额 %s",
                               {name, number(w.winOrder), number(prize.quota)}),
                    formatText(u"不会按这个顺序中奖；把顺序改为 1 到 %s", {number(prize.quota)}));
            else if (w.winOrder > 0) {
                const auto [at, fresh] = orders.emplace(w.winOrder, w.text());
                if (!fresh)
                    add(findings, Severity::Warning, where,
                        formatText(u"中奖顺序 %s 同时给了 “%s” 和 %s",
                                   {number(w.winOrder), at->second, name}),
                        u"每个顺序只给一人");
            }
        }
        if (whiteInPool > prize.quota)
            add(findings, Severity::Note, where,
                formatText(u"白名单 %s 人 > 名额 %s", {number(whiteInPool), number(prize.quota)}),
                formatText(u"大写锁定开时只有其中 %s 人中奖", {number(prize.quota)}));

        // The white-listed who win this prize leave the pool for the later ones.
        long long taken = 0;
        for (const Entrant& w : prize.whiteList) {
            if (taken >= prize.quota)
                break;
            if (contains(everyone, w) && !contains(black, w) && !contains(whiteWinners, w) &&
                w.winOrder <= prize.quota) {
                whiteWinners.insert(std::upper_bound(whiteWinners.begin(), whiteWinners.end(), w,
                                                     [](const Entrant& a, const Entrant& b) {
                                                         return a.nameKey < b.nameKey;
                                                     }),
                                    w);
                ++taken;
            }
        }
        pool -= std::min<long long>(std::max(prize.quota, 0), pool);
    }
}

} // namespace kelvora
