#include "settings/black_white_rules.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <unordered_map>

#include "platform/text.h"
#include "settings/typed_text.h"

namespace kelvora {

namespace {

constexpr std::uint64_t kEntryBytes = sizeof(Entrant);

// The entries of one list by name key, so that matching a pick of 30000 against a list of 30000 compares
// names only where the keys agree.
class EntrantLookup {
public:
    explicit EntrantLookup(const EntrantList& list) : m_list(list) {
        m_byKey.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            m_byKey.emplace(list[i].nameKey, static_cast<int>(i));
    }
    bool contains(const Entrant& e) const {
        auto [first, last] = m_byKey.equal_range(e.nameKey);
        return std::any_of(first, last, [&](const auto& hit) { return sameEntrant(m_list[hit.second], e); });
    }

private:
    const EntrantList& m_list;
    std::unordered_multimap<std::int32_t, int> m_byKey;
};

// The picked entrants that are new to a list: not on it, and each only once even if picked twice.
std::vector<const Entrant*> newEntrants(const EntrantList& list, std::span<const Entrant> picked) {
    EntrantLookup existing(list);
    std::vector<const Entrant*> fresh;
    std::unordered_multimap<std::int32_t, const Entrant*> pickedByKey;
    for (const Entrant& e : picked) {
        if (existing.contains(e))
            continue;
        auto [first, last] = pickedByKey.equal_range(e.nameKey);
        if (std::any_of(first, last, [&](const auto& hit) { return sameEntrant(*hit.second, e); }))
            continue;
        pickedByKey.emplace(e.nameKey, &e);
        fresh.push_back(&e);
    }
    return fresh;
}

std::uint64_t listEntryBytes(const PrizeItem& prize) {
    return kEntryBytes * (std::uint64_t(prize.whiteList.size()) + prize.blackList.size());
}

} // namespace

std::uint64_t parseWinOrder(std::u16string_view typed) {
    return static_cast<std::uint64_t>(readNumberField(typed));
}

std::u16string winOrderText(std::int32_t winOrder) {
    return winOrder == 0 ? std::u16string(u"0=次序随机") : decimalText(winOrder);
}

BlackWhiteListDraft::BlackWhiteListDraft(const PrizeItem& prize, const PrizeList& allPrizes)
    : m_white(prize.whiteList), m_black(prize.blackList) {
    // std::less orders any two pointers, so this also holds for a prize that lives elsewhere.
    const std::less<const PrizeItem*> before;
    const bool inList = !allPrizes.empty() && !before(&prize, allPrizes.data()) &&
                        before(&prize, allPrizes.data() + allPrizes.size());
    const std::uint64_t whole = kelvora::prizeFileBytes(allPrizes);
    if (inList) {
        m_otherBytes = whole - listEntryBytes(prize);
    } else {
        // A prize not yet in the list adds its own fixed block to the file.
        PrizeItem bare;
        m_otherBytes = whole + kelvora::prizeFileBytes(PrizeList{bare}) - sizeof(std::int32_t);
    }
}

std::uint64_t BlackWhiteListDraft::prizeFileBytes() const {
    return m_otherBytes + kEntryBytes * (std::uint64_t(m_white.size()) + m_black.size());
}

BlackWhiteListDraft::AddResult BlackWhiteListDraft::add(ListSide side, std::span<const Entrant> picked) {
    EntrantList& target = side == ListSide::White ? m_white : m_black;
    const EntrantList& other = side == ListSide::White ? m_black : m_white;
    const std::u16string_view listName = side == ListSide::White ? u"白名单" : u"黑名单";
    AddResult result;

    EntrantLookup otherLookup(other);
    for (const Entrant& e : picked) {
        if (otherLookup.contains(e)) {
            const std::u16string_view pattern = side == ListSide::White
                                                    ? u"操作失败：\n已是黑名单不可添加到白名单\n%s"
                                                    : u"操作失败：\n已是白名单不可添加到黑名单\n%s";
            result.refusal = ListRefusal{formatText(pattern, {e.text()}), MessageIcon::Error};
            return result;
        }
    }

    const std::vector<const Entrant*> fresh = newEntrants(target, picked);
    if (fresh.empty())
        return result;

    // The file reader rejects a list of more than kMaxEntrants entries, and with it every prize.
    if (target.size() + fresh.size() > std::size_t(kMaxEntrants)) {
        result.refusal = ListRefusal{formatText(u"操作失败：\n%s最多%s人，现有%s人，本次选中的新成员有%s人。",
                                                {listName, decimalText(kMaxEntrants),
                                                 decimalText(target.size()), decimalText(fresh.size())}),
                                     MessageIcon::Warning};
        return result;
    }
    // A prize file at or over its limit is deleted unread at the next start, losing every prize.
    const std::uint64_t bytes = prizeFileBytes() + kEntryBytes * fresh.size();
    if (bytes >= kPrizeFileBytesLimit) {
        const std::uint64_t room =
            (kPrizeFileBytesLimit - 1 - std::min(kPrizeFileBytesLimit - 1, prizeFileBytes())) / kEntryBytes;
        result.refusal = ListRefusal{
            formatText(
                u"操作失败：\n黑白名单太大：添加后奖项设置文件将有 %s 字节，必须小于 8 MiB（%s 字节）。\n"
                u"所有奖项的黑白名单最多还可添加 %s 人，本次选中的新成员有 %s 人。",
                {decimalText(bytes), decimalText(kPrizeFileBytesLimit), decimalText(room),
                 decimalText(fresh.size())}),
            MessageIcon::Warning};
        return result;
    }

    target.reserve(target.size() + fresh.size());
    for (const Entrant* e : fresh) {
        Entrant entry = *e;
        entry.winOrder = 0;
        target.push_back(entry);
    }
    m_changed = true;
    result.added = static_cast<int>(fresh.size());
    return result;
}

bool BlackWhiteListDraft::clear(ListSide side) {
    EntrantList& target = side == ListSide::White ? m_white : m_black;
    if (target.empty())
        return false;
    target.clear();
    m_changed = true;
    return true;
}

int BlackWhiteListDraft::remove(ListSide side, std::vector<int> rows) {
    EntrantList& target = side == ListSide::White ? m_white : m_black;
    std::vector<char> doomed(target.size(), 0);
    int count = 0;
    for (int row : rows) {
        if (row >= 0 && std::size_t(row) < target.size() && !doomed[std::size_t(row)]) {
            doomed[std::size_t(row)] = 1;
            ++count;
        }
    }
    if (count == 0)
        return 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (!doomed[i])
            target[kept++] = target[i];
    }
    target.resize(kept);
    m_changed = true;
    return count;
}

bool BlackWhiteListDraft::sort(ListSide side, SortKey key) {
    EntrantList& target = side == ListSide::White ? m_white : m_black;
    if (target.size() < 2)
        return false;
    if (key == SortKey::WinOrder && side == ListSide::White) {
        std::stable_sort(target.begin(), target.end(),
                         [](const Entrant& a, const Entrant& b) { return a.winOrder < b.winOrder; });
    } else {
        std::stable_sort(target.begin(), target.end(), [](const Entrant& a, const Entrant& b) {
            return compareIgnoreCase(a.text(), b.text()) < 0;
        });
    }
    m_changed = true;
    return true;
}

BlackWhiteListDraft::WinOrderCheck BlackWhiteListDraft::checkWinOrder(int row,
                                                                      std::u16string_view typed) const {
    WinOrderCheck check;
    const std::uint64_t value = parseWinOrder(typed);
    if (value > std::uint64_t(kMaxWinOrder)) {
        check.refusal = ListRefusal{
            formatText(u"中奖次序最大为%s\n(0=次序随机)", {decimalText(kMaxWinOrder)}), MessageIcon::Warning};
        return check;
    }
    check.value = static_cast<std::int32_t>(value);
    if (check.value > 0) {
        for (std::size_t i = 0; i < m_white.size(); ++i) {
            if (static_cast<int>(i) != row && m_white[i].winOrder == check.value) {
                check.refusal = ListRefusal{u"此中奖次序已存在", MessageIcon::Warning};
                return check;
            }
        }
    }
    return check;
}

void BlackWhiteListDraft::setWinOrder(int row, std::int32_t value) {
    if (row < 0 || std::size_t(row) >= m_white.size())
        return;
    m_white[std::size_t(row)].winOrder = value;
    m_changed = true;
}

void BlackWhiteListDraft::writeBack(PrizeItem& prize) const {
    prize.whiteList = m_white;
    prize.blackList = m_black;
}

} // namespace kelvora
