#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/file_system.h"
#include "records/prizes.h"
#include "records/settings_file.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

const std::u16string kHint = u"\n\n\n解决方法:\n1. 移动整个软件到别的目录\n2. 或尝试以管理员身份运行";

std::u16string shown(const fs::path& p) {
    return fromUtf8(p.string());
}
std::u16string badContent(const fs::path& p) {
    return u"读文件失败:\n" + shown(p) + u"\n\n文件内容有错误" + keptNote(p);
}

Bytes int32Image(std::int32_t v) {
    Bytes b;
    appendInt32(b, v);
    return b;
}

class SettingsFileTest : public ::testing::Test {
protected:
    // Loads the draw mode as an unprivileged user; reports "as expected" when the load fails with the read
    // failure's hint and the note on the kept file (whose name only that process's clock knows).
    ChildResult loadDeniedInChild() {
        return runInChild(
            [&](const auto& report) {
                DrawMode m;
                const FileResult result = loadDrawMode(paths, m);
                const std::u16string expected = u"读文件失败:\n" + shown(paths.drawModeFile) + u"\n\n" +
                                                errorText(EACCES) + kHint + keptNote(paths.drawModeFile);
                const std::u16string text = messageText(result);
                report(text == expected ? "as expected" : u8(text));
                return result ? 1 : 0;
            },
            true);
    }

    TempDir dir;
    DataPaths paths{dir.path()};
    DrawMode mode;
};

TEST_F(SettingsFileTest, MissingOrEmptyFileGivesTheDefaultsSilently) {
    mode.mode = 0;
    EXPECT_TRUE(loadDrawMode(paths, mode));
    EXPECT_EQ(mode.mode, kPictureMode);
    EXPECT_FALSE(fs::exists(paths.settingsFolder)); // reading never creates a folder

    writeBytes(paths.drawModeFile, {});
    mode.mode = 0;
    EXPECT_TRUE(loadDrawMode(paths, mode));
    EXPECT_EQ(mode.mode, kPictureMode);
}

TEST_F(SettingsFileTest, FileAtItsSizeLimitIsDeletedAndOneByteLessIsRead) {
    writeBytes(paths.drawModeFile, Bytes(1048576));
    EXPECT_TRUE(loadDrawMode(paths, mode));
    EXPECT_FALSE(fs::exists(paths.drawModeFile));

    writeBytes(paths.drawModeFile, Bytes(1048575));
    const FileResult result = loadDrawMode(paths, mode);
    EXPECT_FALSE(result);
    EXPECT_EQ(messageText(result), badContent(paths.drawModeFile));
    EXPECT_EQ(fs::file_size(paths.drawModeFile), 1048575u);
}

TEST_F(SettingsFileTest, InvalidContentIsReportedAndTheFileKept) {
    Bytes five = int32Image(0);
    five.push_back(std::byte{0});
    writeBytes(paths.drawModeFile, five);
    mode.mode = 0;
    const FileResult result = loadDrawMode(paths, mode);
    EXPECT_FALSE(result);
    EXPECT_EQ(mode.mode, kPictureMode);
    EXPECT_EQ(result.op, FileOp::Read);
    EXPECT_EQ(result.path, paths.drawModeFile);
    EXPECT_EQ(messageText(result), badContent(paths.drawModeFile));
    EXPECT_EQ(readBytes(paths.drawModeFile), five);

    // The defaults that took its place do not replace the only copy of what the file held.
    ASSERT_TRUE(saveDrawMode(paths, mode));
    EXPECT_EQ(readBytes(result.keptAs), five);
    EXPECT_EQ(readBytes(paths.drawModeFile), int32Image(kPictureMode));
}

TEST_F(SettingsFileTest, FolderWhereTheFileBelongsIsDeletedAndTheNextSaveCreatesTheFile) {
    writeBytes(paths.drawModeFile / "sub" / "x.dat", int32Image(0));
    EXPECT_TRUE(loadDrawMode(paths, mode));
    EXPECT_FALSE(fs::exists(paths.drawModeFile));

    writeBytes(paths.drawModeFile / "again", int32Image(0));
    mode.mode = 0;
    ASSERT_TRUE(saveDrawMode(paths, mode));
    EXPECT_EQ(readBytes(paths.drawModeFile), int32Image(0));
}

TEST_F(SettingsFileTest, FilesNamedLikeTheDataFoldersAreRemovedBeforeReadingAndWriting) {
    writeBytes(paths.settingsFolder, int32Image(0));
    EXPECT_TRUE(loadDrawMode(paths, mode));
    EXPECT_FALSE(fs::exists(paths.settingsFolder));

    writeBytes(paths.settingsFolder, int32Image(0));
    ASSERT_TRUE(saveDrawMode(paths, mode));
    EXPECT_TRUE(fs::is_directory(paths.settingsFolder));

    writeBytes(paths.prizeFolder, int32Image(0)); // "奖项" as a file
    PrizeList prizes(1);
    EXPECT_TRUE(loadPrizes(paths, prizes));
    EXPECT_TRUE(prizes.empty());
    EXPECT_FALSE(fs::exists(paths.prizeFolder));
}

TEST_F(SettingsFileTest, ReadOnlyFileIsReadAndOverwritten) {
    writeBytes(paths.drawModeFile, int32Image(0));
    ::chmod(paths.drawModeFile.c_str(), 0444);
    ASSERT_TRUE(loadDrawMode(paths, mode));
    EXPECT_EQ(mode.mode, kTextMode);
    ::chmod(paths.drawModeFile.c_str(), 0444);
    mode.mode = 7;
    ASSERT_TRUE(saveDrawMode(paths, mode));
    EXPECT_EQ(readBytes(paths.drawModeFile), int32Image(7));
}

TEST_F(SettingsFileTest, ReaderSkippingTheFolderStepsTakesAFolderAsNoFile) {
    const fs::path file = paths.windowedFile;
    fs::create_directories(file);
    SettingsFileLocation location{file, paths.settingsFolder, {}, 1, true};
    int resets = 0;
    EXPECT_TRUE(loadSettingsFile(
        location, [&] { ++resets; }, [](ByteReader&) { return true; }));
    EXPECT_EQ(resets, 1);
    EXPECT_TRUE(fs::is_directory(file)) << "this reader leaves stray folders where they are";
}

TEST_F(SettingsFileTest, WriteIntoAFolderThatCannotExistNamesTheSettingsFile) {
    writeBytes(dir.path() / "root-file", {});
    const DataPaths broken(dir.path() / "root-file");
    const FileResult result = saveDrawMode(broken, mode);
    EXPECT_FALSE(result);
    EXPECT_EQ(messageText(result),
              u"写文件失败:\n" + shown(broken.drawModeFile) + u"\n\n" + errorText(ENOTDIR));
}

TEST_F(SettingsFileTest, PermissionDeniedWhileReadingAddsTheHint) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "an owner can always make its own file readable again";
    writeBytes(paths.drawModeFile, int32Image(0));
    ::chmod(paths.drawModeFile.c_str(), 0600);
    openToEveryone(dir.path());
    const ChildResult child = loadDeniedInChild();
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, "as expected");
}

// No search permission on the folder: the file is there but cannot be looked up. It is reported, never
// replaced by the defaults in silence.
TEST_F(SettingsFileTest, FileThatCannotBeLookedUpIsAReadFailure) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    writeBytes(paths.drawModeFile, int32Image(0));
    openToEveryone(dir.path());
    ::chmod(paths.settingsFolder.c_str(), 0700);
    const ChildResult child = loadDeniedInChild();
    ::chmod(paths.settingsFolder.c_str(), 0755);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, "as expected");
    EXPECT_EQ(readBytes(paths.drawModeFile), int32Image(0));
}

TEST_F(SettingsFileTest, PermissionDeniedWhileWritingAddsTheHintAndKeepsTheFile) {
    writeBytes(paths.drawModeFile, int32Image(0));
    openToEveryone(dir.path());
    ::chmod(paths.settingsFolder.c_str(), 0555);
    const ChildResult child = runInChild(
        [&](const auto& report) {
            const FileResult result = saveDrawMode(paths, DrawMode{3});
            report(u8(messageText(result)));
            return result ? 1 : 0;
        },
        true);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output,
              u8(u"写文件失败:\n" + shown(paths.drawModeFile) + u"\n\n" + errorText(EACCES) + kHint));
    EXPECT_EQ(readBytes(paths.drawModeFile), int32Image(0));
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
}

// Two prizes with 16000 black-list entries each make an 8,450,116-byte file. Written, it was deleted unread
// at the next start, and every prize with it.
TEST_F(SettingsFileTest, PrizeFileThatWouldReachItsLimitIsRefusedAndTheOldOneKept) {
    PrizeList prizes(2);
    setField(prizes[0].name, u"一等奖");
    setField(prizes[1].name, u"二等奖");
    ASSERT_TRUE(savePrizes(paths, prizes));
    const Bytes previous = readBytes(paths.prizeFile);

    for (PrizeItem& p : prizes)
        p.blackList.assign(16000, makeEntrant(u"张三"));
    EXPECT_EQ(prizeFileBytes(prizes), 8450116u);
    const FileResult refused = savePrizes(paths, prizes);
    EXPECT_FALSE(refused);
    const std::u16string text = messageText(refused);
    EXPECT_TRUE(text.starts_with(u"写文件失败:\n" + shown(paths.prizeFile))) << u8(text);
    EXPECT_NE(text.find(u"8450116"), std::u16string::npos) << "names the size";
    EXPECT_NE(text.find(u"8388608"), std::u16string::npos) << "names the limit";
    EXPECT_NE(text.find(u"233 人"), std::u16string::npos) << "says how many entries must go: " << u8(text);
    EXPECT_EQ(readBytes(paths.prizeFile), previous);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());

    PrizeList loaded;
    ASSERT_TRUE(loadPrizes(paths, loaded));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0].blackList.empty());

    // One entry fewer than the excess is still refused; the exact excess removed fits.
    prizes[1].blackList.resize(16000 - 232);
    EXPECT_FALSE(savePrizes(paths, prizes));
    prizes[1].blackList.resize(16000 - 233);
    EXPECT_LT(prizeFileBytes(prizes), kPrizeFileBytesLimit);
    const FileResult fits = savePrizes(paths, prizes);
    EXPECT_TRUE(fits) << u8(messageText(fits));
    ASSERT_TRUE(loadPrizes(paths, loaded));
    EXPECT_EQ(loaded[1].blackList.size(), 16000u - 233u);
}

// A full disk in the middle of writing a long list: the previous file must survive whole.
TEST_F(SettingsFileTest, SaveFailingHalfwayKeepsThePreviousFileByteIdentical) {
    PrizeList prizes(1);
    setField(prizes[0].name, u"一等奖");
    ASSERT_TRUE(savePrizes(paths, prizes));
    const Bytes previous = readBytes(paths.prizeFile);

    prizes[0].whiteList.assign(200, makeEntrant(u"张三")); // 52 KiB, far over the limit below
    const ChildResult child = runInChild([&](const auto& report) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileResult result = savePrizes(paths, prizes);
        report(u8(messageText(result)));
        return result ? 1 : 0;
    });
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, u8(u"写文件失败:\n" + shown(paths.prizeFile) + u"\n\n" + errorText(EFBIG)));
    EXPECT_EQ(readBytes(paths.prizeFile), previous);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());

    PrizeList loaded;
    ASSERT_TRUE(loadPrizes(paths, loaded));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(loaded[0].whiteList.empty());
}

class CopyIntoDataFolderTest : public SettingsFileTest {
protected:
    fs::path source = dir.path() / "chosen" / "A.jpg";
    fs::path destination = paths.prizeFolder / "A.jpg";
};

TEST_F(CopyIntoDataFolderTest, CopiesOverAReadOnlyFileOfTheSameName) {
    Bytes big(3 << 20); // more than one buffer's worth
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::byte>(i * 31 % 251);
    writeBytes(source, big);
    writeBytes(destination, int32Image(2));
    ::chmod(destination.c_str(), 0444);
    ASSERT_TRUE(copyIntoDataFolder(source, destination));
    EXPECT_EQ(readBytes(destination), big);
}

// Names differing in case are different files here, so "a.jpg" must still be copied over "A.jpg"'s twin.
TEST_F(CopyIntoDataFolderTest, SameFileIsLeftAloneButACaseTwinIsNot) {
    writeBytes(destination, int32Image(2));
    ASSERT_TRUE(copyIntoDataFolder(paths.prizeFolder / "." / "A.jpg", destination));
    fs::create_hard_link(destination, dir.path() / "link.jpg");
    ASSERT_TRUE(copyIntoDataFolder(dir.path() / "link.jpg", destination));
    EXPECT_EQ(fs::hard_link_count(destination), 2u); // not replaced by a copy

    const fs::path lower = paths.prizeFolder / "a.jpg";
    writeBytes(lower, int32Image(3));
    ASSERT_TRUE(copyIntoDataFolder(lower, destination));
    EXPECT_EQ(readBytes(destination), int32Image(3));
}

TEST_F(CopyIntoDataFolderTest, FailureNamesBothFilesAndKeepsThePreviousCopy) {
    writeBytes(destination, int32Image(2));
    const FileResult result = copyIntoDataFolder(source, destination);
    EXPECT_FALSE(result);
    EXPECT_EQ(messageText(result), u"复制文件失败：\n" + errorText(ENOENT) + u"\n\n从: " + shown(source) +
                                       u"\n到: " + shown(destination));
    EXPECT_EQ(readBytes(destination), int32Image(2));

    writeBytes(source, int32Image(1));
    openToEveryone(dir.path());
    ::chmod(paths.prizeFolder.c_str(), 0555);
    const ChildResult child = runInChild(
        [&](const auto& report) {
            const FileResult result = copyIntoDataFolder(source, destination);
            report(u8(messageText(result)));
            return result ? 1 : 0;
        },
        true);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, u8(u"复制文件失败：\n" + errorText(EACCES) + u"\n\n从: " + shown(source) +
                               u"\n到: " + shown(destination) + kHint));
}

} // namespace
} // namespace kelvora::test
