// The live mirror on real folders: what a pass copies and leaves alone, how it follows the source, what it
// does with whatever stands in its way, and how a failing place is reported and recovers.

#include "standby/mirror.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/text.h"
#include "records/file_system.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;
using test::readText;
using test::writeText;

// Every file under folder with its contents; links as links, never followed.
Tree treeOf(const fs::path& folder) {
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(folder).generic_string();
        if (it->is_symlink())
            tree[name] = "<link>";
        else if (it->is_regular_file())
            tree[name] = readText(it->path());
    }
    return tree;
}

// The log's lines, written on the worker thread.
struct LogLines {
    std::mutex mutex;
    std::vector<std::u16string> lines;
    MirrorLog log() {
        return [this](std::u16string_view text) {
            const std::lock_guard lock(mutex);
            lines.emplace_back(text);
        };
    }
};

constexpr MirrorTiming kQuickRetry{std::chrono::milliseconds(20), std::chrono::milliseconds(40),
                                   std::chrono::milliseconds(5000), std::chrono::milliseconds(1000)};

// A program folder with an event in it, and the operator's folder it is mirrored to.
struct Event {
    explicit Event(const fs::path& base) : root(base / "程序"), paths(root), target(base / "备份") {
        writeText(program, "#!program");
        writeText(paths.builtinFolder / "背景.jpg", "jpg");
        writeText(paths.builtinFolder / "字体/a.ttf", "ttf");
        writeText(paths.prizeFile, "prizes");
        writeText(paths.textListFile, "names");
        writeText(paths.historyFolder / "2026-12-06/一等奖.txt", "history");
        writeText(paths.progressFile, "progress 1");
        for (const fs::path& never : neverMirrored())
            writeText(never, "not part of the event");
        writeText(target / "我的笔记.txt", "the operator's");
        writeText(target / "照片/1.jpg", "the operator's");
    }

    std::vector<fs::path> neverMirrored() const {
        return {paths.standbyFile, tempPathFor(paths.textListFile), paths.settingsFolder / ".kelvora-Ab12Cd",
                paths.settingsFolder / "图片名单.导入中-Xy12/1.jpg"};
    }
    MirrorSetup setup() const { return {paths, program, target}; }

    // What the operator's folder should hold after a pass.
    Tree expected() const {
        Tree tree = treeOf(root);
        for (const fs::path& never : neverMirrored())
            tree.erase(never.lexically_relative(root).generic_string());
        tree["我的笔记.txt"] = "the operator's";
        tree["照片/1.jpg"] = "the operator's";
        return tree;
    }

    fs::path root;
    DataPaths paths;
    fs::path program = root / "kelvora";
    fs::path target;
};

void syncAndWait(Mirror& mirror) {
    mirror.requestSync();
    ASSERT_TRUE(mirror.waitUntilSettled(10000));
}

// The first pass also clears what stands in its way in the mirrored folders, never following a link.
TEST(Mirror, FirstPassCopiesTheProgramFolderAndLeavesTheRestAlone) {
    test::TempDir tmp;
    Event event(tmp.path());
    const fs::path outside = tmp.path() / "外面";
    writeText(outside / "抽取进度.dat", "outside");
    fs::create_directory_symlink(outside, event.target / "抽取进度(勿删)");
    writeText(event.target / "历史记录", "a file where a folder belongs");
    writeText(event.target / "内置资源/背景.jpg/x", "a folder where a file belongs");
    writeText(event.target / "内置资源/旧.jpg", "no longer in the program");
    fs::create_directory_symlink("/nonexistent", event.target / "内置资源/字体");
    // The standby computer's own choice of mirror, read by the program started from here.
    writeText(event.target / "参数设置(勿删)/备用位置.dat", "the standby computer's");
    Mirror mirror(nullptr);
    mirror.start(event.setup());
    ASSERT_TRUE(mirror.waitUntilSettled(10000));

    const MirrorState state = mirror.state();
    EXPECT_EQ(state.health, MirrorHealth::UpToDate) << test::u8(state.problem);
    EXPECT_GT(state.lastCopyMs, 0);
    Tree expected = event.expected();
    expected["参数设置(勿删)/备用位置.dat"] = "the standby computer's";
    EXPECT_EQ(treeOf(event.target), expected);
    EXPECT_EQ(treeOf(outside), (Tree{{"抽取进度.dat", "outside"}}));
    EXPECT_EQ(fs::status(event.target / "kelvora").permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_EQ(fs::last_write_time(event.target / "抽取进度(勿删)/抽取进度.dat"),
              fs::last_write_time(event.paths.progressFile));
    mirror.stop();
    EXPECT_EQ(mirror.state().health, MirrorHealth::Off);
}

TEST(Mirror, FollowsEveryChangeAndCopiesNothingElseAgain) {
    test::TempDir tmp;
    Event event(tmp.path());
    Mirror mirror(nullptr);
    mirror.start(event.setup());
    ASSERT_TRUE(mirror.waitUntilSettled(10000));
    const fs::path untouched = event.target / "内置资源/背景.jpg";
    struct stat before {};
    ASSERT_EQ(::stat(untouched.c_str(), &before), 0);

    const auto later = [](const fs::path& file) {
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(1));
    };
    const struct {
        const char* what;
        std::function<void(const Event&)> change;
    } changes[] = {
        {"a file rewritten", [](const Event& e) { writeText(e.paths.progressFile, "progress 2, longer"); }},
        {"the same size, another time",
         [&](const Event& e) {
             writeText(e.paths.textListFile, "NAMES");
             later(e.paths.textListFile);
         }},
        {"a file deleted", [](const Event& e) { fs::remove(e.paths.prizeFile); }},
        {"a folder deleted", [](const Event& e) { fs::remove_all(e.paths.historyFolder); }},
        {"a file in a new folder", [](const Event& e) { writeText(e.paths.musicFile, "music"); }},
        {"the copy changed in the mirror",
         [&](const Event& e) {
             writeText(e.target / "参数设置(勿删)/文字名单.dat", "XXXXX");
             later(e.target / "参数设置(勿删)/文字名单.dat");
         }},
    };
    for (const auto& step : changes) {
        SCOPED_TRACE(step.what);
        step.change(event);
        syncAndWait(mirror);
        EXPECT_EQ(treeOf(event.target), event.expected());
        EXPECT_EQ(mirror.state().health, MirrorHealth::UpToDate);
    }
    struct stat after {};
    ASSERT_EQ(::stat(untouched.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "an unchanged file was copied again";
}

TEST(Mirror, AMissingPlaceIsNeverCreated) {
    test::TempDir tmp;
    Event event(tmp.path());
    event.target = tmp.path() / "未插入/备份"; // the empty mount point of a stick that is not there
    Mirror mirror(nullptr, kQuickRetry);
    mirror.start(event.setup());
    syncAndWait(mirror);
    EXPECT_EQ(mirror.state().health, MirrorHealth::Failing);
    EXPECT_EQ(test::u8(mirror.state().problem),
              test::u8(formatText(u"无法写入 %s: %s", {pathText(event.target), errorText(ENOENT)})));
    EXPECT_FALSE(fs::exists(event.target));

    fs::create_directories(event.target);
    syncAndWait(mirror);
    EXPECT_EQ(mirror.state().health, MirrorHealth::UpToDate);
}

// Run without root's privileges, where a folder's permissions are obeyed.
TEST(Mirror, AnUnwritableFolderNamesTheFileAndRecovers) {
    test::TempDir tmp;
    ::chmod(tmp.path().c_str(), 0777);
    const test::ChildResult child = test::runInChild(
        [&tmp](const std::function<void(std::string_view)>& report) {
            Event event(tmp.path());
            LogLines log;
            Mirror mirror(log.log(), kQuickRetry);
            mirror.start(event.setup());
            const fs::path progressCopy = event.target / "抽取进度(勿删)/抽取进度.dat";
            mirror.waitUntilSettled(10000);
            ::chmod(progressCopy.parent_path().c_str(), 0555);
            writeText(event.paths.progressFile, "progress 2");
            for (int i = 0; i < 3; ++i) {
                mirror.requestSync();
                mirror.waitUntilSettled(10000);
            }
            const MirrorState failing = mirror.state();
            const std::u16string problem =
                formatText(u"无法写入 %s: %s", {pathText(progressCopy), errorText(EACCES)});
            if (failing.health != MirrorHealth::Failing || failing.problem != problem)
                return report("not failing as expected: " + test::u8(failing.problem)), 1;
            ::chmod(progressCopy.parent_path().c_str(), 0755);
            mirror.requestSync();
            mirror.waitUntilSettled(10000);
            const std::lock_guard lock(log.mutex);
            if (mirror.state().health != MirrorHealth::UpToDate || readText(progressCopy) != "progress 2")
                return report("not recovered: " + test::u8(mirror.state().problem)), 2;
            // One line when the failure starts and one when it ends, none for the retries between.
            const std::vector<std::u16string> expected{formatText(kMirrorFailedLogText, {problem}),
                                                       std::u16string(kMirrorRecoveredLogText)};
            if (log.lines != expected)
                return report(std::to_string(log.lines.size()) + " log lines"), 3;
            return 0;
        },
        true);
    EXPECT_EQ(child.exitCode, 0) << child.output;
}

TEST(MirrorTarget, RefusesPlacesThatAreTheProgramsOwn) {
    test::TempDir tmp;
    Event event(tmp.path());
    fs::create_directory_symlink(event.root, tmp.path() / "捷径");
    const fs::path loop = tmp.path() / "回环";
    fs::create_directories(loop);
    fs::create_directory_symlink(event.paths.settingsFolder, loop / "参数设置(勿删)");

    const struct {
        const char* what;
        fs::path target;
        std::optional<std::u16string_view> problem;
    } cases[] = {
        {"the program's folder", event.root, kMirrorIsProgramFolderText},
        {"the same by another spelling", event.paths.historyFolder / "..", kMirrorIsProgramFolderText},
        {"a link to it", tmp.path() / "捷径", kMirrorIsProgramFolderText},
        {"inside it", event.root / "备份", kMirrorInsideProgramText},
        {"inside a data folder", event.paths.historyFolder / "备份", kMirrorInsideProgramText},
        {"its settings folder leads back", loop, kMirrorInsideProgramText},
        {"beside it", event.target, std::nullopt},
        {"above it", tmp.path(), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MirrorSetup setup = event.setup();
        setup.target = c.target;
        EXPECT_EQ(mirrorTargetProblem(setup), c.problem);
    }
}

} // namespace
} // namespace kelvora
