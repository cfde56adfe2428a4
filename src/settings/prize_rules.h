#pragma once
// The rules of the prize editors, apart from their widgets: which buttons may act on a selection while a draw
// is running, moving selected prizes up and down, and reading the add and modify dialog's fields into a prize
// with its clamps and refusals. During a draw the prizes before the current one are drawn and the current one
// is being drawn; the rules keep both untouched.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "records/prizes.h"
#include "settings/typed_text.h"

namespace kelvora {

// What the prize editors need of the draw: whether one runs, and the index of its current prize.
struct PrizeDrawState {
    bool drawStarted = false;
    int currentPrize = 0;
};

// Import: the whole table replaced from a spreadsheet.
enum class PrizeAction { Modify, Delete, MoveUp, MoveDown, Reverse, Clear, Import };

// What pressing a button of the prize window comes to.
struct PrizeActionCheck {
    enum class Outcome {
        Allowed, // go on (Delete, Reverse and Clear still ask first)
        Ignored, // nothing happens and nothing is said
        Refused, // message is shown with icon, nothing changes
    };
    Outcome outcome = Outcome::Allowed;
    std::u16string_view message;
    MessageIcon icon = MessageIcon::Warning;

    bool allowed() const { return outcome == Outcome::Allowed; }
};

// selectedRows ascending; prizeCount the length of the list.
PrizeActionCheck checkPrizeAction(PrizeAction action, const std::vector<int>& selectedRows, int prizeCount,
                                  const PrizeDrawState& draw);

// The questions asked before a change that cannot be undone.
inline constexpr std::u16string_view kConfirmDeleteText = u"确定删除？";
inline constexpr std::u16string_view kConfirmReverseText = u"确定反序？";
inline constexpr std::u16string_view kConfirmClearText = u"确定清空？";

// Each selected prize, in ascending order, swaps places with the one above it: a block of selected rows moves
// up by one as a block. Returns the rows where the moved prizes now are. Nothing moves when row 0 is
// selected.
std::vector<int> movePrizesUp(PrizeList& prizes, const std::vector<int>& selectedRows);
// The same downwards, in descending order; nothing moves when the last row is selected.
std::vector<int> movePrizesDown(PrizeList& prizes, const std::vector<int>& selectedRows);

// Puts what the modify dialog read into the prize at index; the prize keeps its black and white lists.
void replacePrizeFields(PrizeList& prizes, int index, PrizeItem fields);

// Removes the prizes at the given rows (any order, duplicates allowed).
void removePrizes(PrizeList& prizes, const std::vector<int>& rows);

// Whether modifying the prize at index keeps its name and quota: it is being drawn, and the winners it
// already has were counted against that quota under that name.
bool prizeFieldsLocked(int index, const PrizeDrawState& draw);

// Why no prize may be added: the list is full ("最多256个奖项"), or one more prize would make the prize file
// reach the size at which it is deleted unread. Nothing when a prize may be added.
std::optional<std::u16string> addPrizeRefusal(const PrizeList& prizes,
                                              const std::filesystem::path& prizeFile);

// Where a chosen prize picture is copied in the prize folder: under its own name, unless a different file of
// that name is already there and some prize shows it (the prize being edited included, since the dialog may
// still be cancelled); then under the first free name "奖品(2).jpg", "奖品(3).jpg"... so that no prize's
// picture is replaced by another's. A file that already is the one in the folder, or has the same bytes, is
// used where it is.
std::filesystem::path prizePictureDestination(const std::filesystem::path& prizeFolder,
                                              const std::filesystem::path& chosen, const PrizeList& prizes);

// The dialog's fields as typed.
struct PrizeFields {
    std::u16string name;
    std::u16string quota;
    std::u16string perDraw;
    std::u16string perLine;
    std::u16string fontSize;
    std::u16string prizeText;
    std::u16string imageFile;
};

// The fields read, trimmed and clamped into a prize, or the refusal to show (a warning) with the dialog left
// open.
struct PrizeEditResult {
    std::optional<PrizeItem> prize; // the fields only; the caller keeps a modified prize's lists
    std::u16string_view refusal;
};

// ownIndex: the modified prize's index, -1 when adding. A locked prize (prizeFieldsLocked) keeps its stored
// name and quota whatever the fields hold.
PrizeEditResult readPrizeFields(const PrizeFields& fields, const PrizeList& prizes, int ownIndex,
                                bool locked);

} // namespace kelvora
