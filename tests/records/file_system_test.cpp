#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

#include "records/file_system.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

Bytes bytesOf(std::string_view text) {
    Bytes b(text.size());
    std::memcpy(b.data(), text.data(), text.size());
    return b;
}

TEST(FolderTree, CreatesEveryMissingFolderAndStopsAtTheFirstFailure) {
    TempDir dir;
    const fs::path file = dir.path() / u8"参数设置(勿删)" / u8"奖项" / u8"_奖项设置.dat";
    EXPECT_EQ(ensureFolderTree(file, false), 0);
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
    EXPECT_FALSE(fs::exists(file));

    EXPECT_EQ(ensureFolderTree(dir.path() / "a//b/c", true), 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "a/b/c"));

    writeBytes(dir.path() / "plain", bytesOf("x"));
    EXPECT_EQ(ensureFolderTree(dir.path() / "plain/sub/file", false), EEXIST); // mkdir of "plain" fails first
    EXPECT_FALSE(fs::exists(dir.path() / "plain/sub"));
    EXPECT_EQ(ensureFolderTree(dir.path() / "plain", false), 0); // the file itself is not a folder to make
}

TEST(FolderTree, DeletesLockedContentsButNeverFollowsALink) {
    TempDir dir;
    const fs::path tree = dir.path() / "tree";
    writeBytes(tree / "locked/deep/file.dat", bytesOf("x"));
    writeBytes(dir.path() / "outside/keep.dat", bytesOf("keep"));
    fs::create_directory_symlink(dir.path() / "outside", tree / "link");
    ::chmod((tree / "locked/deep/file.dat").c_str(), 0);
    ::chmod((tree / "locked").c_str(), 0500);

    deleteFolderTree(tree);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(readBytes(dir.path() / "outside/keep.dat"), bytesOf("keep"));

    // Handed a link to a folder, only the link goes.
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "alias");
    deleteFolderTree(dir.path() / "alias");
    EXPECT_TRUE(fs::exists(dir.path() / "outside/keep.dat"));
}

TEST(FolderTree, StrayFileWhereAFolderBelongsIsRemoved) {
    TempDir dir;
    const fs::path folder = dir.path() / u8"参数设置(勿删)";
    writeBytes(folder, bytesOf("stray"));
    ::chmod(folder.c_str(), 0444);
    EXPECT_TRUE(removeStrayFile(folder));
    EXPECT_FALSE(fs::exists(folder));

    fs::create_symlink(dir.path() / "nowhere", folder); // dangling
    EXPECT_TRUE(removeStrayFile(folder));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));

    fs::create_directory(folder);
    writeBytes(folder / "kept.dat", bytesOf("x"));
    EXPECT_TRUE(removeStrayFile(folder));
    EXPECT_TRUE(fs::exists(folder / "kept.dat"));
}

TEST(JoinChecked, RefusesEveryNameThatCouldLeaveTheFolder) {
    const fs::path folder = "/data/图片名单";
    for (std::u16string_view bad :
         {std::u16string_view(u""), std::u16string_view(u"."), std::u16string_view(u".."),
          std::u16string_view(u"../x.jpg"), std::u16string_view(u"a/b.jpg"),
          std::u16string_view(u"/etc/passwd"), std::u16string_view(u"a\0b", 3)})
        EXPECT_FALSE(joinChecked(folder, bad).has_value()) << u8(bad);
    EXPECT_EQ(joinChecked(folder, u"张三.jpg"), folder / u8"张三.jpg");
    EXPECT_EQ(joinChecked(folder, u"..a"), folder / "..a");
    EXPECT_EQ(joinChecked(folder, u"a\\b"), folder / "a\\b"); // a plain character here
}

TEST(WriteFileReplacing, ReplacesTheTargetWholeAndClearsAnythingInTheTempsWay) {
    TempDir dir;
    const fs::path target = dir.path() / "x.dat";
    const fs::path temp = tempPathFor(target);
    EXPECT_EQ(temp, dir.path() / "x.dat.tmp");

    const Bytes first = bytesOf("first version");
    ASSERT_TRUE(writeFileReplacing(target, temp, first));
    EXPECT_EQ(readBytes(target), first);

    writeBytes(temp / "inside", bytesOf("a folder left where the temp goes"));
    const Bytes second = bytesOf("2");
    ASSERT_TRUE(writeFileReplacing(target, temp, second));
    EXPECT_EQ(readBytes(target), second);
    EXPECT_FALSE(fs::exists(temp));

    // A link at the temporary name must not redirect the write elsewhere.
    writeBytes(dir.path() / "victim", bytesOf("victim"));
    fs::create_symlink(dir.path() / "victim", temp);
    ASSERT_TRUE(writeFileReplacing(target, temp, first));
    EXPECT_EQ(readBytes(dir.path() / "victim"), bytesOf("victim"));
    EXPECT_EQ(readBytes(target), first);
}

TEST(WriteFileReplacing, FailedRenameNamesTheTargetAndRemovesTheTemp) {
    TempDir dir;
    const fs::path target = dir.path() / "busy";
    writeBytes(target / "child", bytesOf("x")); // a non-empty folder cannot be replaced by a file
    const FileResult renamed = writeFileReplacing(target, tempPathFor(target), bytesOf("data"));
    EXPECT_FALSE(renamed);
    EXPECT_EQ(renamed.step, FileStep::Rename);
    EXPECT_EQ(renamed.errnum, EISDIR);
    EXPECT_EQ(renamed.path, target);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    EXPECT_TRUE(fs::exists(target / "child"));

    const FileResult opened =
        writeFileReplacing(dir.path() / "no/such/x", dir.path() / "no/such/x.tmp", bytesOf("d"));
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.step, FileStep::Open);
    EXPECT_EQ(opened.errnum, ENOENT);
    EXPECT_EQ(opened.path, dir.path() / "no/such/x.tmp");
}

// The disk filling up halfway: the file-size limit makes write() stop short and then fail with EFBIG.
TEST(WriteFileReplacing, WriteFailingHalfwayLeavesThePreviousFileByteIdentical) {
    TempDir dir;
    const fs::path target = dir.path() / "list.dat";
    const Bytes previous = bytesOf("the list as it was before");
    writeBytes(target, previous);
    const ChildResult child = runInChild([&](const auto& report) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileResult result =
            writeFileReplacing(target, tempPathFor(target), Bytes(100000, std::byte{7}));
        report(std::to_string(result.errnum) + " " + result.path.string());
        return result ? 1 : 0;
    });
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, std::to_string(EFBIG) + " " + tempPathFor(target).string());
    EXPECT_EQ(readBytes(target), previous);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
}

// A picture named like the copy's temporary file is one of the operator's, never a leftover of ours.
TEST(CopyFileReplacing, NoFileBesideTheTargetIsTakenForItsTemporaryFile) {
    TempDir dir;
    const fs::path source = dir.path() / "chosen.jpg";
    const fs::path target = dir.path() / "data" / "x.jpg";
    writeBytes(source, bytesOf("new picture"));
    writeBytes(tempPathFor(target), bytesOf("a picture literally named x.jpg.tmp"));
    writeBytes(dir.path() / "data" / ".kelvora-AAAAAA", bytesOf("even one named like ours"));
    ASSERT_TRUE(copyFileReplacing(source, target));
    EXPECT_EQ(readBytes(target), bytesOf("new picture"));
    EXPECT_EQ(readBytes(tempPathFor(target)), bytesOf("a picture literally named x.jpg.tmp"));
    EXPECT_EQ(readBytes(dir.path() / "data" / ".kelvora-AAAAAA"), bytesOf("even one named like ours"));
    EXPECT_EQ(tempFilesIn(dir.path() / "data").size(), 2u) << "nothing of the copy is left behind";
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::others_read, fs::perms::others_read);
}

// A file that failed to load is kept before anything replaces it, once.
TEST(KeepBeforeOverwrite, TheFirstReplaceKeepsTheMarkedFileAndLaterOnesDoNot) {
    TempDir dir;
    const fs::path target = dir.path() / "奖项设置.dat";
    writeBytes(target, bytesOf("damaged but precious"));
    const fs::path keptAs = keepBeforeOverwrite(target);
    EXPECT_EQ(keptAs.parent_path(), dir.path());
    EXPECT_EQ(keptAs.filename().string().rfind("奖项设置.dat.损坏-", 0), 0u) << keptAs;
    EXPECT_EQ(keepBeforeOverwrite(target), keptAs) << "asked again, the same name";
    EXPECT_FALSE(fs::exists(keptAs)) << "nothing is copied before a save";

    ASSERT_TRUE(writeFileReplacing(target, tempPathFor(target), bytesOf("defaults")));
    EXPECT_EQ(readBytes(keptAs), bytesOf("damaged but precious"));
    EXPECT_EQ(readBytes(target), bytesOf("defaults"));
    ASSERT_TRUE(writeFileReplacing(target, tempPathFor(target), bytesOf("second save")));
    EXPECT_EQ(readBytes(keptAs), bytesOf("damaged but precious"));
    EXPECT_EQ(readBytes(target), bytesOf("second save"));

    // Only a temporary file was there (the progress reader falls back to it): it is kept before it is
    // cleared out of the writer's way.
    const fs::path other = dir.path() / "抽取进度.dat";
    writeBytes(tempPathFor(other), bytesOf("the only state"));
    const fs::path tempKept = keepBeforeOverwrite(tempPathFor(other));
    ASSERT_TRUE(writeFileReplacing(other, tempPathFor(other), bytesOf("new")));
    EXPECT_EQ(readBytes(tempKept), bytesOf("the only state"));
}

} // namespace
} // namespace kelvora::test
