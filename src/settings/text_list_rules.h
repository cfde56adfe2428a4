#pragma once
// The rules of the text list editor, apart from its window: how names sort, what may change while a draw is
// running, and which entrants a selection hands on.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "records/entrant.h"

namespace kelvora {

inline constexpr std::u16string_view kTextListTopLine = u"可导入3万条，每条限60个字";
inline constexpr std::u16string_view kReimportQuestion = u"将清空现有名单\n是否继续？";
inline constexpr std::u16string_view kListLockedText = u"抽奖中...\n抽奖结束后才可修改名单";
inline constexpr std::u16string_view kSelectionHintText =
    u"提示：\n连续多选 - 按住 Shift 键，用鼠标点选\n间隔多选 - 按住  Ctrl 键，用鼠标点选";

enum class SortOrder { Ascending, Descending };

// Unit by unit after folding letter case, a prefix first. Chinese names therefore order by code point, not by
// pronunciation: what the operator sees is predictable and the same on every machine.
bool namesInOrder(const Entrant& a, const Entrant& b, SortOrder order);

// Sorting and shuffling need two entries; with fewer they change nothing and mark nothing as changed.
bool mayReorder(std::size_t entryCount);

// Sorts in place (unstable: case variants of one name may come in either order). False when nothing was
// done.
bool sortEntrants(std::vector<Entrant>& entries, SortOrder order);

// What the editor offers. While a draw runs the pool was copied from this list, so everything that changes
// the list waits; exporting and closing never change it.
struct TextListActions {
    bool reorder = true;  // "升序", "降序", "打乱"
    bool reimport = true; // "重新导入..."
    bool exportList = true;
};
TextListActions textListActions(bool drawStarted);

// Copies of the entries at rows, in ascending row order whatever order the rows were selected in; a row
// selected twice counts once and rows past the end are ignored.
std::vector<Entrant> selectedEntrants(std::span<const Entrant> entries, std::vector<int> rows);

// The exported file keeps the extension the operator typed; a bare name gets ".txt", as the save dialog's
// only filter promises.
std::filesystem::path withTextExtension(std::filesystem::path file);

} // namespace kelvora
