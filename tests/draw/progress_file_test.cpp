// The progress file: exact bytes, every way a stored draw is resumed or refused, and failures that must not
// lose the previous state.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <random>

#include "draw/progress_file.h"
#include "draw_fixture.h"
#include "records/file_system.h"

namespace kelvora::test {
namespace {

std::vector<char> readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& p, const std::vector<std::byte>& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::int32_t int32At(const std::vector<char>& bytes, std::size_t offset) {
    std::int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

// A draw host that writes the real progress file, as the program does.
class FileHost : public FakeDrawHost {
public:
    explicit FileHost(const DataPaths& paths) : m_paths(paths) {}
    bool saveProgress(const DrawProgress& progress, std::u16string& errorText) override {
        saved.push_back(progress);
        const FileResult result = kelvora::saveProgress(m_paths, progress);
        errorText = messageText(result);
        return static_cast<bool>(result);
    }

private:
    const DataPaths& m_paths;
};

class ProgressFileTest : public ::testing::Test {
protected:
    TempDir dir;
    DataPaths paths{dir.path()};
    FakeClock clock;
    Random15 random{clock};
    FileHost host{paths};
    PrizeList prizes{makePrize(u"P1", 2, 2), makePrize(u"P2", 3, 1), makePrize(u"P3", 1, 1)};
    EntrantList textList = makeNames(5);
    EntrantList pictureList;
    std::int32_t mode = 0, speed = 30, on = 1;
    DrawRun run{host, random, DrawSources{&prizes, &textList, &pictureList, &mode, &speed, &on, &on}};
    FileResult loaded; // what the last load() came to

    DrawProgress sample() {
        DrawProgress p;
        p.state = DrawState::Stopped;
        p.drawnCount = 2;
        p.shownCount = 2;
        p.shownEntrants[0] = makeEntrant(u"甲");
        p.shownEntrants[1] = makeEntrant(u"乙");
        p.slotForfeited[1] = 1;
        p.prizeIndex = 0;
        p.pool = {makeEntrant(u"a"), makeEntrant(u"b"), makeEntrant(u"c")};
        addWinner(p.winners, u"P1", p.shownEntrants[0]);
        addWinner(p.winners, u"P1", p.shownEntrants[1]);
        return p;
    }
    // Reads the progress file into target as the start-up does.
    ProgressLoad load(DrawRun& target) { return loadInto(target, paths, prizes, loaded); }
    std::u16string invalidText(const std::filesystem::path& p) {
        return u"抽奖进度载入失败:\n" + pathText(p) + u"\n\n文件内容有错误" + keptNote(p);
    }
};

TEST_F(ProgressFileTest, LayoutIsTheFlatRecordImage) {
    const FileResult saved = saveProgress(paths, sample());
    ASSERT_TRUE(saved) << u8(messageText(saved));
    const std::vector<char> bytes = readBytes(paths.progressFile);
    ASSERT_EQ(bytes.size(), 15004u); // 13424 + 3*264 + 260 + 2*264
    EXPECT_EQ(int32At(bytes, 0), 2);
    EXPECT_EQ(int32At(bytes, 4), 2);
    EXPECT_EQ(int32At(bytes, 8), 2);
    EXPECT_EQ(static_cast<unsigned char>(bytes[12]), 0x32); // 甲 = U+7532, little-endian
    EXPECT_EQ(static_cast<unsigned char>(bytes[13]), 0x75);
    EXPECT_EQ(int32At(bytes, 13212 + 4), 1); // slotForfeited[1]
    EXPECT_EQ(int32At(bytes, 13412), 0);     // prizeIndex
    EXPECT_EQ(int32At(bytes, 13416), 3);     // pool count
    EXPECT_EQ(bytes[13420], 'a');
    EXPECT_EQ(int32At(bytes, 13420 + 3 * 264), 1);           // group count
    EXPECT_EQ(int32At(bytes, 13420 + 3 * 264 + 4 + 256), 2); // winners in the group
    EXPECT_FALSE(std::filesystem::exists(tempPathFor(paths.progressFile)));

    ASSERT_EQ(load(run), ProgressLoad::Resumed);
    EXPECT_TRUE(run.drawStarted());
    EXPECT_EQ(serializeProgress(run.progress()), serializeProgress(sample()));
    EXPECT_TRUE(run.scrollDeck().empty());
}

TEST_F(ProgressFileTest, ReaderForcesTerminatorsAndClearsWinOrders) {
    DrawProgress p = sample();
    for (Entrant& e : p.pool) {
        std::fill(std::begin(e.name), std::end(e.name), u'x');
        e.winOrder = 9;
    }
    p.winners[0].prizeName[127] = u'x';
    writeBytes(paths.progressFile, serializeProgress(p));
    ASSERT_EQ(load(run), ProgressLoad::Resumed);
    for (const Entrant& e : run.progress().pool) {
        EXPECT_EQ(e.name[127], 0);
        EXPECT_EQ(e.winOrder, 0);
    }
    EXPECT_EQ(run.progress().winners[0].prizeName[127], 0);
}

TEST_F(ProgressFileTest, RejectedFilesResumeNothingAndStayOnDisk) {
    struct Case {
        const char* what;
        std::function<void(DrawProgress&)> change;
        int extraBytes;
    };
    const std::vector<Case> cases{
        {"one byte too long", [](DrawProgress&) {}, 1},
        {"prize index beyond the prizes", [](DrawProgress& p) { p.prizeIndex = 3; }, 0},
        {"negative prize index", [](DrawProgress& p) { p.prizeIndex = -1; }, 0},
        {"drawn above the quota", [](DrawProgress& p) { p.drawnCount = 3; }, 0},
        {"saved while scrolling", [](DrawProgress& p) { p.state = DrawState::Scrolling; }, 0},
        {"ready with counts", [](DrawProgress& p) { p.state = DrawState::Ready; }, 0},
        {"more than fifty shown", [](DrawProgress& p) { p.shownCount = 51; }, 0},
    };
    for (const Case& c : cases) {
        DrawProgress p = sample();
        c.change(p);
        std::vector<std::byte> image = serializeProgress(p);
        image.resize(image.size() + static_cast<std::size_t>(c.extraBytes));
        writeBytes(paths.progressFile, image);
        EXPECT_EQ(load(run), ProgressLoad::Failed) << c.what;
        EXPECT_FALSE(run.drawStarted()) << c.what;
        EXPECT_TRUE(run.progress().pool.empty()) << c.what;
        EXPECT_EQ(messageText(loaded), invalidText(paths.progressFile)) << c.what;
        EXPECT_EQ(readBytes(paths.progressFile).size(), image.size()) << c.what;
    }

    // The results in the last rejected file are nobody's to throw away: the first stop of a new draw keeps
    // the file before it writes its own.
    const std::vector<char> rejected = readBytes(paths.progressFile);
    const std::filesystem::path keptAs = keepBeforeOverwrite(paths.progressFile); // the name the message gave
    run.startDraw();
    run.advanceDraw();
    run.advanceDraw();
    EXPECT_EQ(readBytes(keptAs), rejected);
    EXPECT_NE(readBytes(paths.progressFile), rejected);
}

TEST_F(ProgressFileTest, TruncatedAndHostileCountsAreRejected) {
    std::vector<std::byte> image = serializeProgress(sample());
    for (std::size_t cut : {std::size_t{3}, std::size_t{13420}, image.size() - 1}) {
        writeBytes(paths.progressFile, std::vector<std::byte>(image.begin(), image.begin() + cut));
        EXPECT_EQ(load(run), ProgressLoad::Failed) << cut;
    }
    std::vector<std::byte> hostile = image;
    const std::int32_t huge = 0x7FFFFFFF;
    std::memcpy(hostile.data() + 13420 + 3 * 264 + 4 + 256, &huge, 4); // winners in the group
    writeBytes(paths.progressFile, hostile);
    EXPECT_EQ(load(run), ProgressLoad::Failed);
    const std::int32_t negative = -1;
    std::memcpy(hostile.data() + 13416, &negative, 4); // pool count
    writeBytes(paths.progressFile, hostile);
    EXPECT_EQ(load(run), ProgressLoad::Failed);
}

TEST_F(ProgressFileTest, StopsThatShowNoNamesStillResume) {
    // After a failed save the state is Stopped with nothing shown, and perDraw may be lowered during a draw;
    // refusing such files would lose the whole draw at the next start.
    DrawProgress failedStop = sample();
    failedStop.shownCount = 0;
    failedStop.clearSlots();
    writeBytes(paths.progressFile, serializeProgress(failedStop));
    EXPECT_EQ(load(run), ProgressLoad::Resumed);

    DrawProgress lowered = sample();
    prizes[0].perDraw = 1;
    writeBytes(paths.progressFile, serializeProgress(lowered));
    EXPECT_EQ(load(run), ProgressLoad::Resumed);
    EXPECT_EQ(run.progress().shownCount, 2);
}

TEST_F(ProgressFileTest, TemporaryFileRulesOnResume) {
    const std::filesystem::path temp = tempPathFor(paths.progressFile);
    // Only the ".tmp" survived an interrupted save: resume from it and give it the file's name.
    writeBytes(temp, serializeProgress(sample()));
    EXPECT_EQ(load(run), ProgressLoad::Resumed);
    EXPECT_TRUE(std::filesystem::exists(paths.progressFile));
    EXPECT_FALSE(std::filesystem::exists(temp));

    // An empty progress file means an ended draw: a valid ".tmp" beside it is not consulted.
    writeBytes(paths.progressFile, {});
    writeBytes(temp, serializeProgress(sample()));
    EXPECT_EQ(load(run), ProgressLoad::Nothing);
    EXPECT_FALSE(run.drawStarted());

    // Nothing at all.
    std::filesystem::remove(paths.progressFile);
    std::filesystem::remove(temp);
    EXPECT_EQ(load(run), ProgressLoad::Nothing);

    // A folder where the file should be is removed, and nothing is resumed.
    std::filesystem::create_directories(paths.progressFile / "x");
    EXPECT_EQ(load(run), ProgressLoad::Nothing);
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile));
}

TEST_F(ProgressFileTest, DrawSavesAtEveryStopAndResumesInAnotherRun) {
    run.startDraw();
    run.advanceDraw();
    run.advanceDraw();
    ASSERT_TRUE(std::filesystem::exists(paths.progressFile));
    const std::vector<char> afterStop = readBytes(paths.progressFile);
    run.advanceDraw(); // change of prize: the file keeps the finished prize
    EXPECT_EQ(run.progress().prizeIndex, 1);
    EXPECT_EQ(readBytes(paths.progressFile), afterStop);

    FakeDrawHost otherHost;
    DrawRun restarted{otherHost, random,
                      DrawSources{&prizes, &textList, &pictureList, &mode, &speed, &on, &on}};
    ASSERT_EQ(load(restarted), ProgressLoad::Resumed);
    EXPECT_EQ(restarted.progress().prizeIndex, 0);
    EXPECT_EQ(restarted.progress().state, DrawState::Stopped);
    EXPECT_EQ(restarted.promptText(), u", 按空格下一奖项");
    restarted.advanceDraw(); // the next press performs the change of prize again
    EXPECT_EQ(restarted.progress().prizeIndex, 1);
    EXPECT_EQ(restarted.progress().pool.size(), 3u);
}

TEST_F(ProgressFileTest, ReadOnlyFileIsReplacedAtTheNextStop) {
    ASSERT_TRUE(saveProgress(paths, sample()));
    std::filesystem::permissions(paths.progressFile, std::filesystem::perms::owner_read);
    DrawProgress next = sample();
    next.pool.pop_back();
    const FileResult saved = saveProgress(paths, next);
    ASSERT_TRUE(saved) << u8(messageText(saved));
    EXPECT_EQ(readBytes(paths.progressFile).size(), 15004u - 264u);
}

TEST_F(ProgressFileTest, FailedWriteKeepsThePreviousFile) {
    ASSERT_TRUE(saveProgress(paths, sample()));
    const std::vector<char> before = readBytes(paths.progressFile);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
        const FileResult result = saveProgress(paths, sample());
        const std::u16string expected =
            u"无法写入文件 " + pathText(tempPathFor(paths.progressFile)) + u"\n\n" + errorText(EFBIG);
        _exit(!result && messageText(result) == expected ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must fail with the file-too-large message";
    EXPECT_EQ(readBytes(paths.progressFile), before);
    EXPECT_FALSE(std::filesystem::exists(tempPathFor(paths.progressFile)));
}

// A folder the program may not search hides the file without it being absent. Taking that for "no file"
// silently started the show over instead of resuming it.
TEST_F(ProgressFileTest, FileThatCannotBeLookedUpIsReportedNotIgnored) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    ASSERT_TRUE(saveProgress(paths, sample()));
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(paths.progressFile.parent_path().c_str(), 0700); // root's own: nobody cannot search it
    const pid_t child = fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            _exit(3);
        DrawRun target{host, random, DrawSources{&prizes, &textList, &pictureList, &mode, &speed, &on, &on}};
        FileResult result;
        const ProgressLoad outcome = loadInto(target, paths, prizes, result);
        const std::u16string expected = u"读文件失败:\n" + pathText(paths.progressFile) + u"\n\n" +
                                        errorText(EACCES) + std::u16string(kAdminHint) +
                                        keptNote(paths.progressFile);
        _exit(outcome == ProgressLoad::Failed && !target.drawStarted() && messageText(result) == expected
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ::chmod(paths.progressFile.parent_path().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the load must fail with the read-failure text and its hint";
    EXPECT_EQ(load(run), ProgressLoad::Resumed) << "the file itself is untouched";
}

TEST_F(ProgressFileTest, KilledSavesLeaveTheOldOrTheNewState) {
    // Each save holds its version number in the pool; the child reports every completed save through a pipe.
    prizes = {makePrize(u"P", 1, 1)};
    auto version = [](int v) {
        DrawProgress p;
        std::u16string name = u"v";
        for (char c : std::to_string(v))
            name += static_cast<char16_t>(c);
        p.pool.assign(static_cast<std::size_t>(50 + v % 200), makeEntrant(name));
        return p;
    };
    std::mt19937 rng(4242);
    ASSERT_TRUE(saveProgress(paths, version(0)));
    int totalSaves = 0;
    int lastDone = 0;
    for (int round = 0; round < 3000 && totalSaves < 2000; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const int start = lastDone + 1;
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            for (int v = start;; ++v) {
                if (!saveProgress(paths, version(v)))
                    _exit(2);
                if (write(fds[1], &v, sizeof v) != sizeof v)
                    _exit(3);
            }
        }
        close(fds[1]);
        usleep(std::uniform_int_distribution<unsigned>(500, 60000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        int v = 0;
        while (read(fds[0], &v, sizeof v) == sizeof v) {
            lastDone = v;
            ++totalSaves;
        }
        close(fds[0]);

        FakeDrawHost h;
        DrawRun resumed{h, random, DrawSources{&prizes, &textList, &pictureList, &mode, &speed, &on, &on}};
        ASSERT_EQ(load(resumed), ProgressLoad::Resumed)
            << "round " << round << ": " << u8(messageText(loaded));
        const DrawProgress expectedOld = version(lastDone);
        const DrawProgress expectedNew = version(lastDone + 1);
        const std::vector<std::byte> got = serializeProgress(resumed.progress());
        const bool isOld = got == serializeProgress(expectedOld);
        const bool isNew = got == serializeProgress(expectedNew);
        ASSERT_TRUE(isOld || isNew) << "round " << round;
        if (isNew)
            lastDone += 1;
    }
    EXPECT_GE(totalSaves, 2000);
}

} // namespace
} // namespace kelvora::test
