// A whole draw on the console: the engine driven press by press through a host that prints what the screen
// would show. Useful to watch the engine without a display.

#include <clocale>
#include <cstdio>
#include <string>

#include "draw/draw_run.h"
#include "draw/quiet_draw_host.h"

using namespace kelvora;

namespace {

class ConsoleHost final : public QuietDrawHost {
public:
    MessageAnswer showMessage(std::u16string_view text, MessageIcon, MessageButtons) override {
        std::printf("[message] %s\n", toUtf8(text).c_str());
        return MessageAnswer::Ok;
    }
    void startReplay() override { std::printf("[replay of all prizes]\n"); }
};

EntrantList sampleNames() {
    static const char16_t* const kSurnames[] = {u"王", u"李", u"张", u"刘", u"陈",
                                                u"杨", u"赵", u"黄", u"周", u"吴"};
    static const char16_t* const kGiven[] = {u"伟", u"芳", u"娜", u"敏",   u"静", u"丽", u"强",
                                             u"磊", u"军", u"洋", u"勇",   u"艳", u"杰", u"娟",
                                             u"涛", u"明", u"超", u"秀英", u"霞", u"平"};
    EntrantList names;
    for (const char16_t* s : kSurnames)
        for (const char16_t* g : kGiven)
            names.push_back(makeEntrant(std::u16string(s) + g));
    return names;
}

PrizeItem prize(std::u16string_view name, int quota, int perDraw) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = quota;
    p.perDraw = perDraw;
    return p;
}

} // namespace

int main() {
    std::setlocale(LC_ALL, "");
    SystemClock clock;
    Random15 random(clock);
    random.reseedFromClock();
    ConsoleHost host;
    PrizeList prizes{prize(u"三等奖", 6, 3), prize(u"二等奖", 2, 1), prize(u"一等奖", 1, 1)};
    EntrantList names = sampleNames();
    EntrantList pictures;
    std::int32_t mode = 0, speed = 30, on = 1;
    DrawRun run(host, random, DrawSources{&prizes, &names, &pictures, &mode, &speed, &on, &on});

    std::printf("%s: %zu entrants, %zu prizes\n", toUtf8(kProgramCaption).c_str(), names.size(),
                prizes.size());
    run.startDraw();
    for (int step = 0; step < 64 && run.drawStarted(); ++step) {
        const PrizeItem* p = run.currentPrize();
        std::printf("%s（%d/%d）%s\n", toUtf8(p->nameText()).c_str(), run.progress().drawnCount, p->quota,
                    toUtf8(run.promptText()).c_str());
        const bool replayNext = run.promptText() == u", 按空格抽完回放";
        run.advanceDraw();
        if (replayNext)
            break;
        if (run.progress().state == DrawState::Scrolling) {
            for (int frame = 0; frame < 5; ++frame)
                run.scrollTimerTick();
            run.advanceDraw();
            std::printf("  winners:");
            for (int i = 0; i < run.progress().shownCount; ++i)
                std::printf(" %s", toUtf8(run.progress().shownEntrants[static_cast<std::size_t>(i)].text()).c_str());
            std::printf("\n");
        }
    }
    for (const WinnerGroup& g : run.progress().winners) {
        std::printf("%s\n--------------------------------\n", toUtf8(g.name()).c_str());
        for (const Entrant& e : g.entrants)
            std::printf("%s\n", toUtf8(e.text()).c_str());
    }
    return 0;
}
