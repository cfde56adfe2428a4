#pragma once
// "弃奖(&D)" of the winners window, whole: the refusals, the question, the saved change and the failure
// message. The window only reads the selected row and, on true, deletes it.
//
// How the winners window calls it (button "弃奖(&D)"):
//
//     std::optional<ForfeitRow> row;                    // nothing when no row is selected
//     if (selected) row = ForfeitRow{model.placeAt(r), model.prizeAt(r), *model.winnerAt(r)};
//     if (forfeitWinner(controller.run(), messages, this, row, backToPoolBox->isChecked())) {
//         // the draw changed, was saved and the screen repainted: delete the row, select the row now at the
//         // same index (or the new last one), scroll it into view, keep the focus on the list
//     }
//
// The row is given by its place in the winner list, not by its texts: names alike are different people.

#include <optional>
#include <string>
#include <string_view>

#include "draw/draw_run.h"
#include "platform/message_box.h"

namespace kelvora {

inline constexpr std::u16string_view kBackToPoolText = u"弃奖人重回奖池\n(参与后续抽奖)";
inline constexpr std::u16string_view kChooseForfeiterText = u"请选中弃奖人";
inline constexpr std::u16string_view kConfirmForfeitText = u"确定弃奖？";

// The selected row: where its winner stands in the winner list, and what the row shows there.
struct ForfeitRow {
    WinnerPlace place;
    std::u16string prizeName;
    Entrant winner{};
};

// No row: "请选中弃奖人" (information). Names scrolling: "停止滚动后才可弃奖" (warning). Otherwise asks
// "确定弃奖？" (Yes/No) and on Yes forfeits through DrawRun::forfeit with backToPool; a failed save shows
// "弃奖失败:\n" and the progress writer's text (error). A row whose place no longer holds its winner changes
// nothing. True only when the forfeit took effect.
bool forfeitWinner(DrawRun& run, MessageBox& messages, OwnerWindow owner,
                   const std::optional<ForfeitRow>& row, bool backToPool);

} // namespace kelvora
