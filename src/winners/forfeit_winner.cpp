#include "winners/forfeit_winner.h"

namespace kelvora {

bool forfeitWinner(DrawRun& run, MessageBox& messages, OwnerWindow owner,
                   const std::optional<ForfeitRow>& row, bool backToPool) {
    if (!row) {
        messages.show(owner, kChooseForfeiterText, MessageIcon::Information);
        return false;
    }
    if (run.progress().state == DrawState::Scrolling) {
        messages.show(owner, kForfeitWhileScrollingText, MessageIcon::Warning);
        return false;
    }
    if (messages.show(owner, kConfirmForfeitText, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return false;

    const ForfeitResult result =
        run.forfeit(ForfeitRequest{row->place, row->prizeName, row->winner, backToPool});
    switch (result.outcome) {
    case ForfeitOutcome::Done:
        return true;
    case ForfeitOutcome::SaveFailed:
        messages.show(owner, std::u16string(kForfeitFailedPrefix) + result.saveError, MessageIcon::Error);
        return false;
    case ForfeitOutcome::Scrolling:
        messages.show(owner, kForfeitWhileScrollingText, MessageIcon::Warning);
        return false;
    case ForfeitOutcome::NotStarted:
    case ForfeitOutcome::NotFound:
        // The window lists only what the draw holds; a row that no longer matches has nothing to give up.
        break;
    }
    return false;
}

} // namespace kelvora
