// Ending a draw: the question, the history file's exact bytes and name, and the removal of the saved state.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "draw/history.h"
#include "draw/progress_file.h"
#include "draw_fixture.h"
#include "records/file_system.h"

namespace kelvora::test {
namespace {

std::u16string fileUnits(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

class HistoryTest : public ::testing::Test, public DrawFixture {
protected:
    TempDir dir;
    DataPaths paths{dir.path()};

    WinnerList twoPrizes() {
        WinnerList w;
        addWinner(w, u"P1", makeEntrant(u"A"));
        addWinner(w, u"P1", makeEntrant(u"B"));
        addWinner(w, u"P2", makeEntrant(u"C"));
        return w;
    }
    std::vector<std::filesystem::path> historyFiles() {
        std::vector<std::filesystem::path> out;
        if (std::filesystem::exists(paths.historyFolder))
            for (const auto& e : std::filesystem::directory_iterator(paths.historyFolder))
                out.push_back(e.path());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(HistoryTest, FileHoldsTheGroupsInUtf16WithCrLf) {
    const std::u16string hyphens(32, u'-');
    const std::u16string expected = u"\uFEFF"
                                    u"P1\r\n" +
                                    hyphens + u"\r\nA\r\nB\r\n\r\n\r\nP2\r\n" + hyphens + u"\r\nC\r\n";
    std::filesystem::path written;
    ASSERT_TRUE(writeHistory(paths, twoPrizes(), false, LocalTime{2026, 12, 6, 21, 5, 9}, &written));
    EXPECT_EQ(written.filename().string(), "20261206_21.05.09.txt");
    EXPECT_EQ(fileUnits(written), expected);

    const std::vector<std::byte> empty = serializeHistory({}, false);
    EXPECT_EQ(empty.size(), 2u);
}

TEST_F(HistoryTest, PictureModeDropsTheLastExtension) {
    WinnerList w;
    addWinner(w, u"P", makeEntrant(u"x.jpg"));
    addWinner(w, u"P", makeEntrant(u"a.b.png"));
    addWinner(w, u"P", makeEntrant(u"noext"));
    const std::vector<std::byte> bytes = serializeHistory(w, true);
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), bytes.size());
    EXPECT_NE(units.find(u"\r\nx\r\na.b\r\nnoext\r\n"), std::u16string::npos);
    const std::vector<std::byte> text = serializeHistory(w, false);
    EXPECT_GT(text.size(), bytes.size());
}

TEST_F(HistoryTest, TwoDrawsEndedInOneSecondKeepBothFiles) {
    const LocalTime t{2026, 1, 2, 3, 4, 5};
    ASSERT_TRUE(writeHistory(paths, twoPrizes(), false, t));
    WinnerList other;
    addWinner(other, u"Q", makeEntrant(u"Z"));
    ASSERT_TRUE(writeHistory(paths, other, false, t));
    const auto files = historyFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename().string(), "20260102_03.04.05.txt");
    EXPECT_EQ(files[1].filename().string(), "20260102_03.04.05_2.txt");
    EXPECT_NE(fileUnits(files[0]).find(u"P1"), std::u16string::npos);
}

TEST_F(HistoryTest, EndDrawAsksWithNoAsDefaultAndChangesNothingOnNo) {
    prizes = {makePrize(u"P1", 2, 2)};
    textList = makeNames(4);
    run.startDraw();
    run.advanceDraw();
    run.advanceDraw();
    EXPECT_FALSE(endDraw(run, host, paths, clock));
    ASSERT_EQ(host.messages.shown.size(), 1u);
    EXPECT_EQ(host.messages.shown[0].text, kEndDrawQuestion);
    EXPECT_EQ(host.messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(host.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(run.drawStarted());
    EXPECT_TRUE(historyFiles().empty());
}

TEST_F(HistoryTest, EndDrawWritesHistoryRemovesProgressAndResets) {
    prizes = {makePrize(u"P1", 2, 1), makePrize(u"P2", 1, 1)};
    textList = makeNames(4);
    run.startDraw();
    press();
    ASSERT_TRUE(saveProgress(paths, run.progress()));
    // A ".tmp" left by an interrupted save must not bring the ended draw back at the next start.
    std::ofstream(tempPathFor(paths.progressFile)) << "stale";
    run.advanceDraw(); // names scrolling when the operator ends the draw
    ASSERT_EQ(run.progress().state, DrawState::Scrolling);

    host.messages.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(endDraw(run, host, paths, clock));
    EXPECT_FALSE(run.drawStarted());
    EXPECT_TRUE(run.progress().winners.empty());
    EXPECT_EQ(host.timerPeriod, 0);
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "releaseMusic"), host.calls.end());
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile));
    EXPECT_FALSE(std::filesystem::exists(tempPathFor(paths.progressFile)));

    const auto files = historyFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::u16string text = fileUnits(files[0]);
    EXPECT_NE(text.find(u"P1\r\n"), std::u16string::npos);
    EXPECT_EQ(text.find(u"P2"), std::u16string::npos) << "the dropped press left no winner";

    DrawRun restarted{host, random, run.sources()};
    FileResult loaded;
    EXPECT_EQ(loadInto(restarted, paths, prizes, loaded), ProgressLoad::Nothing);
}

// A history folder the program may not write into. Root writes anywhere, so the end of the draw runs in a
// child that has dropped to an unprivileged user.
TEST_F(HistoryTest, FailedHistoryWriteKeepsTheDraw) {
    prizes = {makePrize(u"P1", 1, 1)};
    textList = makeNames(2);
    run.startDraw();
    press();
    std::filesystem::create_directories(paths.historyFolder);
    std::filesystem::permissions(
        paths.historyFolder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                                 std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                 std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    for (std::filesystem::path p = paths.historyFolder.parent_path(); p != dir.path().parent_path();
         p = p.parent_path())
        ::chmod(p.c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        host.messages.answers = {MessageAnswer::Yes};
        const bool ended = endDraw(run, host, paths, clock);
        const bool reported = host.messages.lastText().rfind(u"结束抽奖失败:\n无法写入文件 ", 0) == 0;
        ::_exit(!ended && run.drawStarted() && reported ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the end must fail, say why, and keep the draw";
    EXPECT_TRUE(std::filesystem::is_empty(paths.historyFolder));
}

// The same failure wherever the tests run, root included: the data folder's parent is a plain file.
TEST_F(HistoryTest, HistoryFolderThatCannotBeMadeIsReportedAndKeepsTheDraw) {
    prizes = {makePrize(u"P1", 1, 1)};
    textList = makeNames(2);
    run.startDraw();
    press();
    std::ofstream(dir.path() / "file") << "x";
    const DataPaths broken(dir.path() / "file");
    host.messages.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(endDraw(run, host, broken, clock));
    EXPECT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().winners.size(), 1u);
    const std::filesystem::path file = broken.historyFolder / "20261206_21.05.09.txt";
    EXPECT_EQ(host.messages.lastText(),
              u"结束抽奖失败:\n无法写入文件 " + pathText(file) + u"\n\n" + errorText(ENOTDIR));
    EXPECT_EQ(host.messages.shown.back().icon, MessageIcon::Error);
}

} // namespace
} // namespace kelvora::test
