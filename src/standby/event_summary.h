#pragma once
// What an event holds, in a few lines for the operator: shown before a package replaces the event on this
// computer, and after a package is written. Read through the records' own loaders, so that the summary says
// what the program would see when it starts on that data.

#include <string>
#include <vector>

#include "records/data_paths.h"

namespace kelvora {

struct PrizeQuota {
    std::u16string name;
    int quota = 0;
};

struct EventSummary {
    std::u16string mainTitle;
    std::vector<PrizeQuota> prizes;
    bool textMode = true;
    int entrants = 0; // of the list the draw mode draws from
    bool drawStarted = false;
    int currentPrize = -1; // index into prizes while a draw is started
    std::u16string currentPrizeName;
    int winners = 0;    // so far, all prizes together
    int totalQuota = 0; // all prizes together
    // The records that did not load ("奖项", "名单", "界面", "抽奖进度"): the program would start with their
    // defaults.
    std::vector<std::u16string> unreadable;
};

EventSummary summarizeEvent(const DataPaths& paths);

// Several lines in Chinese: the title, the prizes, the list, the draw's progress, what did not load.
std::u16string summaryText(const EventSummary& summary);

} // namespace kelvora
