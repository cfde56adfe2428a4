#pragma once
// "弃奖(&D)" of the winners window, whole: the refusals, the question, the saved change and the failure
// message. The window only reads the selected row and, on true, deletes it.
//
// How the winners window calls it (button "弃奖(&D)"):
//
//     std::optional<ForfeitRow> row;                    // nothing when no row is selected
//     if (selected) row = ForfeitRow{prizeColumnText, winnerColumnText + extensionColumnText};
//     if (forfeitWinner(controller.run(), messages, this, row, backToPoolBox->isChecked())) {
//         // the draw changed, was saved and the screen repainted: delete the row, select the row now at the
//         // same index (or the new last one), scroll it into view, keep the focus on the list
//     }
//
// The names are read as the view shows them: in picture mode the winner is the name column followed by the
// extension column, which together give the stored file name (see splitExtension in winner_export.h).

#include <optional>
#include <string>
#include <string_view>

#include "draw/draw_run.h"
#include "platform/message_box.h"

namespace kelvora {

inline constexpr std::u16string_view kBackToPoolText = u"弃奖人重回奖池\n(参与后续抽奖)";
inline constexpr std::u16string_view kChooseForfeiterText = u"请选中弃奖人";
inline constexpr std::u16string_view kConfirmForfeitText = u"确定弃奖？";

struct ForfeitRow {
    std::u16string prizeName;
    std::u16string winnerName;
};

// No row: "请选中弃奖人" (information). Names scrolling: "停止滚动后才可弃奖" (warning). Otherwise asks
// "确定弃奖？" (Yes/No) and on Yes forfeits through DrawRun::forfeit with backToPool; a failed save shows
// "弃奖失败:\n" and the progress writer's text (error). True only when the forfeit took effect.
bool forfeitWinner(DrawRun& run, MessageBox& messages, OwnerWindow owner,
                   const std::optional<ForfeitRow>& row, bool backToPool);

} // namespace kelvora
