#pragma once
// A whole draw in memory: prizes, a text list, a fake host and a clock that tests step.

#include <optional>
#include <string>

#include "draw/draw_run.h"
#include "draw/progress_file.h"
#include "support/test_support.h"

namespace kelvora::test {

inline PrizeItem makePrize(std::u16string_view name, int quota, int perDraw) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = quota;
    p.perDraw = perDraw;
    return p;
}

inline EntrantList makeNames(int count, std::u16string_view prefix = u"N") {
    EntrantList list;
    for (int i = 0; i < count; ++i) {
        std::u16string name(prefix);
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        list.push_back(makeEntrant(name));
    }
    return list;
}

inline std::u16string names(std::span<const Entrant> entries) {
    std::u16string out;
    for (const Entrant& e : entries) {
        if (!out.empty())
            out += u',';
        out += e.text();
    }
    return out;
}

// What reading the progress file came to, as the start-up sees it.
enum class ProgressLoad { Failed, Nothing, Resumed };

// Reads the progress file into run the way the start-up does: a saved draw is taken up, anything else leaves
// the run without a draw. result receives what the file code reported.
inline ProgressLoad loadInto(DrawRun& run, const DataPaths& paths, const PrizeList& prizes,
                             FileResult& result) {
    std::optional<DrawProgress> saved;
    result = loadProgress(paths, prizes, saved);
    run.end();
    if (!saved)
        return result ? ProgressLoad::Nothing : ProgressLoad::Failed;
    run.resume(std::move(*saved));
    return ProgressLoad::Resumed;
}

class DrawFixture {
public:
    FakeClock clock;
    Random15 random{clock};
    FakeDrawHost host;
    PrizeList prizes;
    EntrantList textList;
    EntrantList pictureList;
    std::int32_t drawMode = 0;
    std::int32_t scrollSpeed = 30;
    std::int32_t scrollMusicOn = 1;
    std::int32_t winMusicOn = 1;
    DrawRun run{
        host, random,
        DrawSources{&prizes, &textList, &pictureList, &drawMode, &scrollSpeed, &scrollMusicOn, &winMusicOn}};

    // The winners of the last stop, as shown in the slots.
    std::u16string shown() const {
        return names(
            std::span(run.progress().shownEntrants.data(), static_cast<std::size_t>(run.progress().shownCount)));
    }
    // Start scrolling and stop at once (one frame dealt).
    void press() {
        run.advanceDraw();
        run.advanceDraw();
    }
};

} // namespace kelvora::test
