#pragma once
// The rules of a prize's black and white list editor, kept apart from its window so that every refusal can be
// checked without one. The editor works on a draft of the prize's two lists; the draft knows how large the
// prize file would grow, so that no addition can make the file unreadable at the next start.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "records/entrant.h"
#include "records/prizes.h"

namespace kelvora {

enum class ListSide { White, Black };

// A win order above this can never take effect (no list and no quota holds more entrants), and a much larger
// one would wrap negative in the stored int32 and make the whole prize file invalid.
inline constexpr std::int32_t kMaxWinOrder = kMaxEntrants;

// Why an editing step did nothing, in the operator's words.
struct ListRefusal {
    std::u16string text;
    MessageIcon icon = MessageIcon::Warning;
};

// Reads what the operator typed as a win order: an unsigned whole number, surrounding blanks ignored. Text
// that is not a number (letters, a sign) reads as 0, "random order"; digits beyond any int32 saturate, so
// that a huge number is refused rather than wrapped (above 2147483647 it reads as 2147483647).
std::uint64_t parseWinOrder(std::u16string_view typed);

// The row of the white list as it is shown in the win-order column.
std::u16string winOrderText(std::int32_t winOrder);

class BlackWhiteListDraft {
public:
    // A draft of prize's lists. allPrizes is the whole prize list the file is written from; prize is usually
    // one of its elements (its current lists are then counted once, as the draft's).
    BlackWhiteListDraft(const PrizeItem& prize, const PrizeList& allPrizes);

    const EntrantList& list(ListSide side) const { return side == ListSide::White ? m_white : m_black; }
    const EntrantList& white() const { return m_white; }
    const EntrantList& black() const { return m_black; }
    bool changed() const { return m_changed; }

    // The size the prize file would have with the draft's lists in place of the prize's.
    std::uint64_t prizeFileBytes() const;

    // Appends the picked entrants (in their order) that are not on side yet, with win order 0. Refused, and
    // nothing added, when any picked entrant is on the other list (naming the first such), when side would
    // hold more than kMaxEntrants entries, or when the prize file would reach kPrizeFileBytesLimit. Returns
    // how many were appended when accepted.
    struct AddResult {
        int added = 0;
        std::optional<ListRefusal> refusal;
    };
    AddResult add(ListSide side, std::span<const Entrant> picked);

    // Empties side; false (and nothing changed) when it was empty already.
    bool clear(ListSide side);
    // Removes the entries at rows (any order; repeats and rows out of range are ignored). The number removed.
    int remove(ListSide side, std::vector<int> rows);

    // A click on a header: by name (case ignored) or, on the white list, by win order, ascending. A list of
    // fewer than two entries is left alone and not marked changed; false then.
    enum class SortKey { Name, WinOrder };
    bool sort(ListSide side, SortKey key);

    // Checks what was typed as the win order of white row; the value to store, or why not.
    struct WinOrderCheck {
        std::int32_t value = 0;
        std::optional<ListRefusal> refusal;
    };
    WinOrderCheck checkWinOrder(int row, std::u16string_view typed) const;
    // Stores an order that checkWinOrder accepted.
    void setWinOrder(int row, std::int32_t value);

    // Copies the draft's lists into prize.
    void writeBack(PrizeItem& prize) const;

private:
    EntrantList m_white;
    EntrantList m_black;
    std::uint64_t m_otherBytes = 0; // the prize file without this prize's list entries
    bool m_changed = false;
};

} // namespace kelvora
