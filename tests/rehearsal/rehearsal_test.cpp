// The pre-show check on an event with one planted problem of each kind, on a clean event, and the dry run's
// odds against the selection rules.

#include <gtest/gtest.h>

#include <fstream>

#include "draw_fixture.h"
#include "records/draw_mode.h"
#include "rehearsal/dry_run.h"
#include "rehearsal/event_check.h"
#include "rehearsal/file_check.h"
#include "rehearsal/list_check.h"
#include "settings/text_name_list.h"

namespace kelvora::test {
namespace {

Entrant ordered(std::u16string_view name, int order) {
    Entrant e = makeEntrant(name);
    e.winOrder = order;
    return e;
}

Findings check(const PrizeList& prizes, const EntrantList& names) {
    Findings findings;
    checkNameList(names, findings);
    checkPrizes(prizes, names, findings);
    return findings;
}

TEST(ListCheckTest, EachPlantedProblemIsReportedOnceWithItsSeverity) {
    EntrantList names = makeNames(20);
    names.push_back(makeEntrant(u"N3")); // the same name twice
    names.push_back(makeEntrant(u"n4")); // N4 but for case
    names.push_back(makeEntrant(u""));   // an empty name
    PrizeList prizes = {makePrize(u"三等奖", 10, 5), makePrize(u"二等奖", 11, 4),
                        makePrize(u"一等奖", 10, 1)};
    prizes[0].whiteList = {ordered(u"N1", 1), ordered(u"N2", 1), ordered(u"N5", 12), makeEntrant(u"无此人")};
    prizes[0].blackList = {makeEntrant(u"N6"), makeEntrant(u"N2")};
    prizes[1].whiteList = {makeEntrant(u"N1")};
    prizes[1].blackList = {makeEntrant(u"N7"), makeEntrant(u"N8"), makeEntrant(u"N9")};

    struct Expected {
        Severity severity;
        std::u16string where, what;
    };
    const Expected expected[] = {
        {Severity::Warning, u"名单", u"1 个空名字"},
        {Severity::Warning, u"名单", u"“N3” 出现 2 次"},
        {Severity::Warning, u"名单", u"“N4” 与 “n4” 只有大小写不同"},
        {Severity::Warning, u"三等奖", u"白名单中的 “无此人” 不在抽奖名单中"},
        {Severity::Warning, u"三等奖", u"“N2” 同时在白名单和黑名单中，按黑名单处理"},
        {Severity::Warning, u"三等奖", u"“N5” 的中奖顺序 12 > 名额 10"},
        // 23 entrants: 10 go to the first prize, 13 remain, 3 of them black-listed for the second.
        {Severity::Warning, u"二等奖", u"名额 11 > 黑名单以外的可中奖人数 10"},
        {Severity::Note, u"二等奖", u"白名单中的 “N1” 会先中前面奖项的白名单"},
        {Severity::Error, u"一等奖", u"名额 10 > 可中奖人数 2"},
    };
    Findings findings = check(prizes, names);
    for (const Expected& e : expected) {
        const auto found = std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
            return f.severity == e.severity && f.where == e.where && f.what == e.what && !f.fix.empty();
        });
        EXPECT_EQ(found, 1) << u8(e.what);
    }
    EXPECT_EQ(findings.size(), std::size(expected)) << "nothing else";
    EXPECT_TRUE(hasErrors(findings));
    sortFindings(findings);
    EXPECT_EQ(findingLine(findings.front()), u"错误 一等奖: 名额 10 > 可中奖人数 2 → 减少名额或添加名单");
}

TEST(ListCheckTest, ACleanEventAndAnEmptyOne) {
    PrizeList prizes = {makePrize(u"三等奖", 5, 5), makePrize(u"一等奖", 1, 1)};
    prizes[1].whiteList = {ordered(u"N0", 1)};
    const Findings exposed = check(prizes, makeNames(10));
    ASSERT_EQ(exposed.size(), 1u);
    EXPECT_EQ(exposed[0].what, u"白名单中的 “N0” 可能先在“三等奖”中被随机抽中");
    prizes[0].blackList = {makeEntrant(u"N0")};
    EXPECT_TRUE(check(prizes, makeNames(10)).empty());

    const Findings empty = check({}, {});
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[0].what, u"抽奖名单为空");
    EXPECT_EQ(empty[1].what, u"没有奖项");
    EXPECT_EQ(
        findingsJson({empty[0]}),
        "[\n  {\"severity\": \"error\", \"where\": \"名单\", \"what\": \"抽奖名单为空\", \"fix\": \"按 F3 "
        "添加或导入名单\"}\n]\n");
}

TEST(DryRunTest, TheListsDecideWithCapsLockOnAndNobodyWinsTwice) {
    PrizeList prizes = {makePrize(u"三等奖", 6, 3), makePrize(u"一等奖", 2, 1)};
    prizes[0].whiteList = {makeEntrant(u"N1"), makeEntrant(u"N2")};
    // Black-listed on the first prize, the second prize's white list cannot be used up there at random.
    prizes[0].blackList = {makeEntrant(u"N3"), makeEntrant(u"N4"), makeEntrant(u"N5")};
    prizes[1].whiteList = {makeEntrant(u"N4"), makeEntrant(u"N5")};
    const EntrantList names = makeNames(30);

    DryRunOptions on;
    on.runs = 200;
    const DryRunResult result = dryRun(prizes, names, on);
    EXPECT_EQ(result.runs, 200);
    EXPECT_EQ(result.unfinished, 0);
    EXPECT_EQ(result.doubleWins, 0);
    for (const PrizeOdds& odds : result.prizes)
        for (const ListedWins& w : odds.white)
            EXPECT_EQ(w.wins, 200) << u8(w.name) << " wins every time while the list fits the quota";
    EXPECT_EQ(result.prizes[0].black[0].wins, 0);
    Findings findings;
    dryRunFindings(result, on, findings);
    EXPECT_TRUE(findings.empty());

    // Unprotected, the first prize's random places take one of them now and then: the runs say how often.
    PrizeList unprotected = prizes;
    unprotected[0].blackList = {makeEntrant(u"N3")};
    const DryRunResult exposed = dryRun(unprotected, names, on);
    EXPECT_LT(exposed.prizes[1].white[0].wins, 200);
    EXPECT_GT(exposed.prizes[1].white[0].wins, 150) << "4 random places among 27: about 85 %";
    Findings told;
    dryRunFindings(exposed, on, told);
    EXPECT_EQ(told.size(), 2u);

    // Caps Lock off: the lists do nothing, so a listed name wins about as often as anybody (6 of 30 places).
    DryRunOptions off = on;
    off.capsLock = false;
    const DryRunResult random = dryRun(prizes, names, off);
    EXPECT_EQ(random.doubleWins, 0);
    EXPECT_GT(random.prizes[0].white[0].wins, 10);
    EXPECT_LT(random.prizes[0].white[0].wins, 90);
    EXPECT_GT(random.prizes[0].black[0].wins, 10);

    // The same seed draws the same runs; a cancel stops between runs.
    EXPECT_EQ(dryRun(prizes, names, off).prizes[0].white[0].wins, random.prizes[0].white[0].wins);
    std::atomic<bool> cancel{false};
    const DryRunResult stopped = dryRun(prizes, names, off, &cancel, [&cancel](int done) {
        if (done == 5)
            cancel = true;
    });
    EXPECT_EQ(stopped.runs, 5);
    EXPECT_TRUE(stopped.cancelled);
}

TEST(DryRunTest, AQuotaOnlyTheBlackListCanFillIsReported) {
    PrizeList prizes = {makePrize(u"一等奖", 4, 4)};
    prizes[0].blackList = {makeEntrant(u"N0"), makeEntrant(u"N1")};
    DryRunOptions options;
    options.runs = 20;
    const DryRunResult result = dryRun(prizes, makeNames(3), options);
    Findings findings;
    dryRunFindings(result, options, findings);
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(findings[0].what, u"20 次中有 20 次奖池在最后一个奖项之前抽空");
    EXPECT_EQ(findings[1].what, u"黑名单中的 “N0” 在 20 次试抽中中了 20 次");
}

} // namespace
} // namespace kelvora::test

namespace kelvora::test {
namespace {

TEST(FileCheckTest, EachFileTheShowOpensIsThereAndLoads) {
    TempDir dir;
    const DataPaths paths(dir.path());
    auto touch = [](const std::filesystem::path& path) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    };
    touch(paths.pictureFolder / "a.jpg");
    touch(paths.pictureFolder / "bad.jpg");
    touch(paths.prizeFolder / "bad.jpg");
    touch(paths.musicFolder / u8"滚动1.mp3");
    touch(paths.musicFolder / u8"颁奖.mp3");
    const PictureProbe probe = [](const std::filesystem::path& path) {
        return path.filename() == "bad.jpg" ? std::u16string(u"不是图片") : std::u16string();
    };

    PrizeList prizes = {makePrize(u"三等奖", 1, 1), makePrize(u"一等奖", 1, 1)};
    setField(prizes[0].imageFile, u"bad.jpg");
    setField(prizes[1].imageFile, u"无.jpg");
    const EntrantList photos = {makeEntrant(u"a.jpg"), makeEntrant(u"bad.jpg"), makeEntrant(u"b.jpg")};
    InterfaceSettings look;
    setField(look.backgroundImage, u"");
    MusicSettings music;
    music.winMusicOn = 0; // its file is missing, but it is switched off

    Findings findings;
    const MusicProbe musicProbe = [](const std::filesystem::path& path) {
        return path.filename() == std::filesystem::path(u8"颁奖.mp3") ? std::u16string(u"不是音频")
                                                                      : std::u16string();
    };
    checkFiles(paths, EventFiles{&prizes, &photos, &look, &music}, probe, findings, musicProbe);
    std::vector<std::u16string> lines;
    for (const Finding& f : findings)
        lines.push_back(findingLine(f));
    const std::vector<std::u16string> expected = {
        u"错误 名单: 1 张照片不在图片文件夹中: “b.jpg” → 按 F3 重新导入照片",
        u"错误 名单: 1 张照片无法读取: “bad.jpg” → 换成 jpg 或 png 照片后按 F3 重新导入",
        u"警告 三等奖: 奖品图 “bad.jpg” 加载失败: 不是图片 → 按 F2 重新选择奖品图",
        u"警告 一等奖: 奖品图 “无.jpg” 加载失败: 文件不存在 → 按 F2 重新选择奖品图",
        u"警告 音乐: 背景音乐1 “颁奖.mp3” 无法播放: 不是音频 → 换成 mp3 或 wav 文件后按 F5 重新选择",
        u"警告 音乐: 背景音乐2 “星河传说.mp3” 不在音乐文件夹中，到时不会有声音 → 按 F5 重新选择音乐",
        u"警告 音乐: 背景音乐3 “Encore une Fois.mp3” 不在音乐文件夹中，到时不会有声音 → 按 F5 重新选择音乐",
    };
    EXPECT_EQ(lines, expected);
}

} // namespace
} // namespace kelvora::test

namespace kelvora::test {
namespace {

TEST(EventCheckTest, ASavedDrawThatNoLongerMatchesThePrizesIsAnError) {
    TempDir dir;
    const DataPaths paths(dir.path());
    DrawFixture f;
    f.prizes = {makePrize(u"三等奖", 2, 1), makePrize(u"一等奖", 1, 1)};
    f.textList = makeNames(5);
    f.run.startDraw();
    f.press();
    f.press();
    f.run.advanceDraw(); // on to the second prize
    ASSERT_EQ(f.run.progress().prizeIndex, 1);
    ASSERT_TRUE(saveProgress(paths, f.run.progress()));
    TextNameList list;
    list.entries = f.textList;
    ASSERT_TRUE(saveTextNameList(paths, list));
    ASSERT_TRUE(saveDrawMode(paths, DrawMode{kTextMode}));
    ASSERT_TRUE(savePrizes(paths, f.prizes));

    EventCheckOptions options;
    options.dryRun.runs = 0;
    EXPECT_TRUE(checkEvent(paths, options).findings.empty() ||
                !hasErrors(checkEvent(paths, options).findings));

    // The prize the draw stands on was deleted since: the restart could not take the draw up.
    f.prizes.pop_back();
    ASSERT_TRUE(savePrizes(paths, f.prizes));
    const EventCheck check = checkEvent(paths, options);
    ASSERT_FALSE(check.findings.empty());
    EXPECT_EQ(check.findings.front().where, u"抽奖进度");
    EXPECT_EQ(check.findings.front().severity, Severity::Error);
}

} // namespace
} // namespace kelvora::test
