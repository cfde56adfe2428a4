#pragma once
// How the list editors open one another without including one another: the prize window opens a prize's
// black and white list editor, that editor picks entrants from the name list of the draw mode, and the text
// list editor opens the import. Each opener receives the next editor as a function; the program wires the
// real dialogs together where it registers its commands, and tests pass scripted ones.

#include <functional>

#include "records/entrant.h"
#include "records/prizes.h"
#include "settings/text_name_list.h"

class QWidget;

namespace kelvora {

// Opens the black and white list editor of prize; true when it changed the prize's lists (the prize already
// holds the new lists then).
using EditPrizeListsHook = std::function<bool(QWidget* owner, PrizeItem& prize)>;

// Opens the name list of the current draw mode in selection mode; returns copies of the entrants selected
// when it closed, in ascending row order.
using PickEntrantsHook = std::function<EntrantList(QWidget* owner)>;

// Runs the import dialog over list, measuring columns in measureWindow's font; true when entries were
// imported.
using ImportListHook = std::function<bool(QWidget* measureWindow, TextNameList& list)>;

} // namespace kelvora
