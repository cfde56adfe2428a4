// The user's program folder of a shared install on real folders: the first start, an upgrade over an event
// in use, the folders it must refuse, a place it cannot write, and where the folder is by default.

#include "install/program_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "platform/text.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;
using test::listTree;
using test::readText;
using test::u8;
using test::writeText;

// A shared install as the package lays it out, with a program of the given bytes.
struct SharedInstall {
    fs::path folder;
    explicit SharedInstall(const fs::path& where, std::string_view program = "program 1") : folder(where) {
        writeText(folder / "kelvora", program);
        ::chmod((folder / "kelvora").c_str(), 0755);
        writeText(folder / "系统安装.txt", "shared");
        writeText(folder / "内置资源/贺岁.jpg", "picture 1");
        writeText(folder / "内置资源/滚动1.mp3", "music 1");
        writeText(folder / "示例活动/参数设置(勿删)/文字名单.dat", "300 names");
        writeText(folder / "示例活动/参数设置(勿删)/界面/贺岁.jpg", "picture 1");
        writeText(folder / "示例活动/示例表格/员工名单.csv", "姓名\n");
    }
};

bool executable(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0;
}

// Everything in a program folder that is the user's: all but the program and the built-in resources.
Tree userData(const fs::path& folder) {
    Tree tree = listTree(folder);
    std::erase_if(tree, [](const auto& entry) {
        return entry.first == "kelvora" || entry.first.rfind("内置资源", 0) == 0;
    });
    return tree;
}

TEST(ProgramFolderTest, AFirstStartGetsTheProgramTheBuiltinResourcesAndTheSampleAndAnotherChangesNothing) {
    test::TempDir tmp;
    const SharedInstall shared(tmp.path() / "usr/lib/kelvora");
    const fs::path user = tmp.path() / "home/.local/share/kelvora";
    // What a start killed while it staged the sample left behind.
    writeText(user / ".kelvora-示例活动-Ab12Cd/参数设置(勿删)/文字名单.dat", "half");

    const FolderResult first = prepareProgramFolder(shared.folder, user, "kelvora");
    ASSERT_TRUE(first) << u8(folderFailureText(first));
    EXPECT_EQ(first.filesCopied, 3);
    EXPECT_TRUE(first.sampleAdded);
    const Tree expected = {
        {"kelvora", "program 1"},
        {"内置资源", "<dir>"},
        {"内置资源/贺岁.jpg", "picture 1"},
        {"内置资源/滚动1.mp3", "music 1"},
        {"参数设置(勿删)", "<dir>"},
        {"参数设置(勿删)/文字名单.dat", "300 names"},
        {"参数设置(勿删)/界面", "<dir>"},
        {"参数设置(勿删)/界面/贺岁.jpg", "picture 1"},
        {"示例表格", "<dir>"},
        {"示例表格/员工名单.csv", "姓名\n"},
    };
    EXPECT_EQ(listTree(user), expected); // no staged folder, no temporary file, no marker
    EXPECT_TRUE(executable(user / "kelvora"));

    const FolderResult again = prepareProgramFolder(shared.folder, user, "kelvora");
    ASSERT_TRUE(again);
    EXPECT_EQ(again.filesCopied, 0);
    EXPECT_FALSE(again.sampleAdded);
    EXPECT_EQ(listTree(user), expected);
}

TEST(ProgramFolderTest, AnUpgradeRefreshesTheProgramAndBuiltinResourcesAndLeavesTheEventAlone) {
    test::TempDir tmp;
    const fs::path user = tmp.path() / "user";
    ASSERT_TRUE(prepareProgramFolder(SharedInstall(tmp.path() / "v1").folder, user, "kelvora"));

    // The operator's event: edited settings, a draw under way, a history, files of their own, and the sample
    // sheets deleted.
    writeText(user / "参数设置(勿删)/文字名单.dat", "our 800 names");
    writeText(user / "参数设置(勿删)/奖项/_奖项设置.dat", "our prizes");
    writeText(user / "抽取进度(勿删)/抽取进度.dat", "two prizes drawn");
    writeText(user / "历史记录/2026-12-08.txt", "last year's winners");
    writeText(user / "我们的节目单.txt", "programme");
    writeText(user / "内置资源/我们的背景.jpg", "our picture");
    fs::remove_all(user / "示例表格");
    ::chmod((user / "kelvora").c_str(), 0644); // copied by hand without its mode
    const Tree event = userData(user);

    const SharedInstall v2(tmp.path() / "v2", "program 2");
    writeText(v2.folder / "内置资源/贺岁.jpg", "picture 2");
    writeText(v2.folder / "内置资源/中奖2.mp3", "new music");
    writeText(v2.folder / "示例活动/参数设置(勿删)/文字名单.dat", "a new sample");

    const FolderResult upgraded = prepareProgramFolder(v2.folder, user, "kelvora");
    ASSERT_TRUE(upgraded) << u8(folderFailureText(upgraded));
    EXPECT_EQ(upgraded.filesCopied, 3) << "the program, the changed picture and the new music";
    EXPECT_FALSE(upgraded.sampleAdded);
    EXPECT_EQ(userData(user), event);
    EXPECT_EQ(readText(user / "kelvora"), "program 2");
    EXPECT_TRUE(executable(user / "kelvora"));
    EXPECT_EQ(readText(user / "内置资源/贺岁.jpg"), "picture 2");
    EXPECT_EQ(readText(user / "内置资源/滚动1.mp3"), "music 1");
    EXPECT_EQ(readText(user / "内置资源/中奖2.mp3"), "new music");
    EXPECT_EQ(readText(user / "内置资源/我们的背景.jpg"), "our picture");

    // An event that only has its progress left gets no sample settings that would not match it.
    const fs::path progressOnly = tmp.path() / "progress-only";
    writeText(progressOnly / "抽取进度(勿删)/抽取进度.dat", "drawn");
    const FolderResult kept = prepareProgramFolder(v2.folder, progressOnly, "kelvora");
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept.sampleAdded);
    EXPECT_FALSE(fs::exists(progressOnly / "参数设置(勿删)"));
}

TEST(ProgramFolderTest, FoldersThatAreNotOursOrAreTheInstallItselfAreRefusedUntouched) {
    test::TempDir tmp;
    const SharedInstall shared(tmp.path() / "usr/lib/kelvora");
    writeText(tmp.path() / "文档/报告.docx", "a report");
    writeText(tmp.path() / "一个文件", "not a folder");
    const struct {
        fs::path target;
        FolderFault fault;
    } cases[] = {
        {shared.folder, FolderFault::InsideInstall},
        {shared.folder / "用户", FolderFault::InsideInstall},
        {tmp.path() / "usr/lib/./kelvora/../kelvora", FolderFault::InsideInstall},
        {tmp.path() / "文档", FolderFault::NotProgramFolder},
        {tmp.path() / "一个文件", FolderFault::NotProgramFolder},
    };
    const Tree before = listTree(tmp.path());
    for (const auto& c : cases) {
        const FolderResult result = prepareProgramFolder(shared.folder, c.target, "kelvora");
        EXPECT_EQ(result.fault, c.fault) << c.target;
        EXPECT_NE(folderFailureText(result).find(fromUtf8(c.target.string())), std::u16string::npos)
            << u8(folderFailureText(result));
    }
    EXPECT_EQ(listTree(tmp.path()), before);
}

TEST(ProgramFolderTest, APlaceThatCannotBeWrittenIsNamedAndTheOldProgramStays) {
    test::TempDir tmp;
    const SharedInstall shared(tmp.path() / "shared", "program 2");
    const fs::path locked = tmp.path() / "locked";
    writeText(locked / "kelvora", "program 1");
    writeText(tmp.path() / "root-only/.keep", "");
    test::openToEveryone(tmp.path());
    ::chmod(locked.c_str(), 0555);
    ::chmod((tmp.path() / "root-only").c_str(), 0755);

    const test::ChildResult child = test::runInChild(
        [&](const std::function<void(std::string_view)>& report) {
            const FolderResult created =
                prepareProgramFolder(shared.folder, tmp.path() / "root-only/新", "kelvora");
            const FolderResult copied = prepareProgramFolder(shared.folder, locked, "kelvora");
            report(toUtf8(folderFailureText(created)) + "\n--\n" + toUtf8(folderFailureText(copied)));
            return created.fault == FolderFault::Create && copied.fault == FolderFault::Copy ? 0 : 1;
        },
        true);
    EXPECT_EQ(child.exitCode, 0) << child.output;
    EXPECT_NE(child.output.find("无法准备程序文件夹:\n" + (tmp.path() / "root-only/新").string()),
              std::string::npos)
        << child.output;
    EXPECT_NE(child.output.find("请检查是否有写入权限"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("无法准备程序文件夹:\n" + locked.string()), std::string::npos)
        << child.output;
    EXPECT_EQ(readText(locked / "kelvora"), "program 1");
    EXPECT_TRUE(test::tempFilesIn(locked).empty());
}

TEST(ProgramFolderTest, TheUserFolderAndTheArgumentsPassedOn) {
    const struct {
        const char* xdg;
        const char* home;
        const char* folder;
    } places[] = {
        {"/data/小王", "/home/wang", "/data/小王/kelvora"},
        {nullptr, "/home/wang", "/home/wang/.local/share/kelvora"},
        {"", "/home/wang", "/home/wang/.local/share/kelvora"},
        {"relative/data", "/home/wang", "/home/wang/.local/share/kelvora"},
        {nullptr, nullptr, ""},
        {nullptr, "home", ""},
    };
    for (const auto& p : places)
        EXPECT_EQ(defaultUserFolder(p.xdg, p.home), fs::path(p.folder)) << (p.xdg ? p.xdg : "(unset)");

    using Args = std::vector<std::string>;
    EXPECT_EQ(withoutFolderOption({"--folder", "/media/u", "--check", "--json"}),
              (Args{"--check", "--json"}));
    EXPECT_EQ(withoutFolderOption({"-platform", "xcb", "--data", "d", "--folder", "f"}),
              (Args{"-platform", "xcb", "--data", "d"}));
}

} // namespace
} // namespace kelvora
