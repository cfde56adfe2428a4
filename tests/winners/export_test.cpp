// The two exports as the worker runs them: the exact bytes of every file, the picture copies, cancelling,
// failures and their messages, and names that must not lead out of the export folder.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "draw/draw_fixture.h"
#include "records/file_system.h"
#include "winners/winner_export.h"

namespace kelvora::test {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ASCII text as UTF-16LE bytes, to keep the longer expectations readable.
Bytes ascii(std::string_view text) {
    Bytes out;
    for (char c : text) {
        out.push_back(static_cast<unsigned char>(c));
        out.push_back(0);
    }
    return out;
}

Bytes bom() {
    return Bytes{0xFF, 0xFE};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void writeFile(const std::filesystem::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
}

WinnerGroup group(std::u16string_view prize, std::initializer_list<std::u16string_view> winners) {
    WinnerGroup g;
    setField(g.prizeName, prize);
    g.entrants = entrantsNamed(winners);
    return g;
}

std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class ExportTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path out = dir.path() / "导出";
    ExportCancelFlag cancel;
    ExportSource text{};
    std::vector<std::pair<int, int>> steps;
    ExportProgressFn progress = [this](int done, int total) { steps.emplace_back(done, total); };

    void SetUp() override { ASSERT_TRUE(createExportFolder(out)); }
};

TEST_F(ExportTest, WinnersFilesHoldTheExactBytes) {
    const WinnerList winners = {group(u"A", {u"x", u"y"}), group(u"奖", {u"张"})};
    const ExportResult result = exportWinners(winners, out, text, cancel, progress);
    ASSERT_TRUE(result.failure) << u8(result.messageText());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.messageText(), u"");
    EXPECT_EQ(result.done, 3);
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));

    EXPECT_EQ(fileBytes(out / "A.txt"),
              (Bytes{0xFF, 0xFE, 'x', 0, '\r', 0, '\n', 0, 'y', 0, '\r', 0, '\n', 0}));
    EXPECT_EQ(fileBytes(out / "奖.txt"), (Bytes{0xFF, 0xFE, 0x20, 0x5F, '\r', 0, '\n', 0}));
    const Bytes rule = ascii("--------------------\r\n");
    const Bytes all = bom() + ascii("A\r\n") + rule + ascii("x\r\ny\r\n\r\n\r\n") +
                      Bytes{0x56, 0x59, '\r', 0, '\n', 0} + rule + Bytes{0x20, 0x5F, '\r', 0, '\n', 0};
    EXPECT_EQ(fileBytes(out / "全部奖项.txt"), all);
    EXPECT_EQ(entriesOf(out), (std::vector<std::string>{"A.txt", "全部奖项.txt", "奖.txt"}));
}

TEST_F(ExportTest, NotYetWonListAndTheEmptyPool) {
    ASSERT_TRUE(exportNotYetWon(entrantsNamed({u"Bo", u"张"}), out, text, cancel, progress).failure);
    EXPECT_EQ(fileBytes(out / "_还未中奖名单.txt"),
              (Bytes{0xFF, 0xFE, 'B', 0, 'o', 0, '\r', 0, '\n', 0, 0x20, 0x5F, '\r', 0, '\n', 0}));
    EXPECT_EQ(steps.back(), (std::pair{2, 2}));

    const std::filesystem::path empty = dir.path() / "empty";
    ASSERT_TRUE(createExportFolder(empty));
    ASSERT_TRUE(exportNotYetWon({}, empty, text, cancel, progress).failure);
    EXPECT_EQ(fileBytes(empty / "_还未中奖名单.txt"), (Bytes{0xFF, 0xFE}));
    ASSERT_TRUE(exportWinners({}, empty, text, cancel, progress).failure);
    EXPECT_EQ(fileBytes(empty / "全部奖项.txt"), (Bytes{0xFF, 0xFE}));
}

TEST_F(ExportTest, TheFolderMustBeNew) {
    const FileResult again = createExportFolder(out);
    EXPECT_FALSE(again);
    EXPECT_EQ(messageText(again), u"文件夹创建失败:\n" + pathText(out) + u"\n\n" + errorText(EEXIST));

    // A folder the operator may not write into gets the write-access hint; the child drops root first.
    const std::filesystem::path locked = dir.path() / "locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0555);
    ::chmod(dir.path().c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const FileResult denied = createExportFolder(locked / "x");
        const std::u16string expected = u"文件夹创建失败:\n" + pathText(locked / "x") + u"\n\n" +
                                        errorText(EACCES) + u"\n\n\n请检查是否有写入权限";
        // The same hint when the list file cannot be created in a folder the operator chose.
        const ExportResult unwritten = exportNotYetWon({}, locked, {}, ExportCancelFlag{}, {});
        const std::u16string writeExpected = u"写文件失败:\n" + pathText(locked / "_还未中奖名单.txt") +
                                             u"\n\n" + errorText(EACCES) + u"\n\n\n请检查是否有写入权限";
        ::_exit(messageText(denied) == expected && unwritten.messageText() == writeExpected ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(locked.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "permission denied must name the path and add the hint";
}

TEST_F(ExportTest, CancelStopsBeforeTheNextEntryAndKeepsWhatWasWritten) {
    ExportProgressFn cancelAfterTwo = [&](int done, int) {
        if (done == 2)
            cancel.set();
    };
    const WinnerList winners = {group(u"A", {u"a", u"b", u"c"}), group(u"B", {u"d"})};
    const ExportResult result = exportWinners(winners, out, text, cancel, cancelAfterTwo);
    EXPECT_TRUE(result.failure);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.done, 2);
    EXPECT_EQ(result.messageText(), u"") << "a cancel shows no message";
    EXPECT_EQ(fileBytes(out / "A.txt"), bom() + ascii("a\r\nb\r\n"));
    EXPECT_FALSE(std::filesystem::exists(out / "B.txt"));

    cancel.clear();
    const std::filesystem::path second = dir.path() / "second";
    ASSERT_TRUE(createExportFolder(second));
    cancel.set();
    const ExportResult none = exportNotYetWon(entrantsNamed({u"a", u"b"}), second, text, cancel, progress);
    EXPECT_TRUE(none.cancelled);
    EXPECT_EQ(fileBytes(second / "_还未中奖名单.txt"), (Bytes{0xFF, 0xFE}));
}

TEST_F(ExportTest, PictureModeWritesNamesWithoutExtensionAndCopiesThePictures) {
    const std::filesystem::path pictures = dir.path() / "pictures";
    std::filesystem::create_directory(pictures);
    writeFile(pictures / "a.jpg", "AAAA");
    writeFile(pictures / "b.x.png", "BB");
    writeFile(pictures / "c", "C");
    const ExportSource photo{true, pictures};

    // A read-only file of the same name in the target is replaced.
    writeFile(out / "a.jpg", "old");
    ::chmod((out / "a.jpg").c_str(), 0444);
    ASSERT_TRUE(
        exportNotYetWon(entrantsNamed({u"a.jpg", u"b.x.png", u"c"}), out, photo, cancel, progress).failure);
    EXPECT_EQ(fileBytes(out / "_还未中奖名单.txt"), bom() + ascii("a\r\nb.x\r\nc\r\n"));
    EXPECT_EQ(fileBytes(out / "a.jpg"), (Bytes{'A', 'A', 'A', 'A'}));
    EXPECT_EQ(fileBytes(out / "b.x.png"), (Bytes{'B', 'B'}));
    EXPECT_EQ(fileBytes(out / "c"), (Bytes{'C'}));

    const std::filesystem::path won = dir.path() / "won";
    ASSERT_TRUE(createExportFolder(won));
    const WinnerList winners = {group(u"一等奖", {u"b.x.png"}), group(u"二等奖", {u"a.jpg", u"c"})};
    ASSERT_TRUE(exportWinners(winners, won, photo, cancel, progress).failure);
    EXPECT_EQ(entriesOf(won),
              (std::vector<std::string>{"一等奖", "一等奖.txt", "二等奖", "二等奖.txt", "全部奖项.txt"}));
    EXPECT_EQ(entriesOf(won / "二等奖"), (std::vector<std::string>{"a.jpg", "c"}));
    EXPECT_EQ(fileBytes(won / "一等奖" / "b.x.png"), (Bytes{'B', 'B'}));
    EXPECT_EQ(fileBytes(won / "二等奖.txt"), bom() + ascii("a\r\nc\r\n"));

    // Display: the name column and the extension column give the stored name back.
    EXPECT_EQ(splitExtension(u"b.x.png"),
              (std::pair<std::u16string_view, std::u16string_view>{u"b.x", u".png"}));
    EXPECT_EQ(splitExtension(u"c"), (std::pair<std::u16string_view, std::u16string_view>{u"c", u""}));
}

TEST_F(ExportTest, MissingPictureStopsWithTheCopyMessage) {
    const std::filesystem::path pictures = dir.path() / "pictures";
    std::filesystem::create_directory(pictures);
    writeFile(pictures / "a.jpg", "A");
    const ExportSource photo{true, pictures};
    const ExportResult result =
        exportNotYetWon(entrantsNamed({u"a.jpg", u"gone.jpg", u"never.jpg"}), out, photo, cancel, progress);
    EXPECT_FALSE(result.failure);
    EXPECT_EQ(result.done, 1);
    EXPECT_EQ(result.messageText(), u"复制文件失败：\n" + errorText(ENOENT) + u"\n\n从: " +
                                        pathText(pictures / "gone.jpg") + u"\n到: " +
                                        pathText(out / "gone.jpg"));
    // The line goes out before its copy; nothing after the failure.
    EXPECT_EQ(fileBytes(out / "_还未中奖名单.txt"), bom() + ascii("a\r\ngone\r\n"));
    EXPECT_EQ(entriesOf(out), (std::vector<std::string>{"_还未中奖名单.txt", "a.jpg"}));
}

// Prize names come from a file the operator can edit by hand; none may write outside the export folder.
TEST_F(ExportTest, PrizeNamesNeverLeaveTheExportFolder) {
    const std::filesystem::path pictures = dir.path() / "pictures";
    std::filesystem::create_directory(pictures);
    writeFile(pictures / "p.jpg", "P");

    const WinnerList escaping = {group(u"ok", {u"p.jpg"}), group(u"../evil", {u"p.jpg"})};
    const ExportResult written = exportWinners(escaping, out, text, cancel, progress);
    EXPECT_EQ(written.messageText(),
              u"写文件失败:\n" + pathText(out) + u"/../evil.txt\n\n" + errorText(EINVAL));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "evil.txt"));
    EXPECT_EQ(fileBytes(out / "ok.txt"), bom() + ascii("p.jpg\r\n")) << "what came before stays";
    EXPECT_EQ(
        fileBytes(out / "全部奖项.txt"),
        bom() + ascii("ok\r\n--------------------\r\np.jpg\r\n\r\n\r\n../evil\r\n--------------------\r\n"));

    const std::filesystem::path photoOut = dir.path() / "photo";
    ASSERT_TRUE(createExportFolder(photoOut));
    const ExportResult folder =
        exportWinners({group(u"..", {u"p.jpg"})}, photoOut, {true, pictures}, cancel, progress);
    EXPECT_EQ(folder.messageText(),
              u"文件夹创建失败:\n" + pathText(photoOut) + u"/..\n\n" + errorText(EINVAL));
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"photo", "pictures", "导出"}));

    // A prize named like the all-prizes file would truncate it under the writer's hands.
    const std::filesystem::path clash = dir.path() / "clash";
    ASSERT_TRUE(createExportFolder(clash));
    const ExportResult same = exportWinners({group(u"全部奖项", {u"x"})}, clash, text, cancel, progress);
    EXPECT_FALSE(same.failure);
    EXPECT_EQ(same.messageText().rfind(u"写文件失败:\n", 0), 0u);
    EXPECT_EQ(fileBytes(clash / "全部奖项.txt"),
              (bom() + Bytes{0x68, 0x51, 0xE8, 0x90, 0x56, 0x59, 0x79, 0x98, '\r', 0, '\n', 0} +
               ascii("--------------------\r\n")));
}

TEST(ExportDuringDrawTest, ScrollingPressIsLeftOut) {
    DrawFixture draw;
    draw.prizes = {makePrize(u"P", 3, 1)};
    draw.textList = makeNames(5);
    draw.run.startDraw();
    draw.press();
    const std::u16string first = draw.shown();
    draw.run.advanceDraw();
    ASSERT_EQ(draw.run.progress().state, DrawState::Scrolling);

    TempDir dir;
    ExportCancelFlag cancel;
    ASSERT_TRUE(createExportFolder(dir.path() / "w"));
    ASSERT_TRUE(exportWinners(draw.run.progress().winners, dir.path() / "w", {}, cancel, {}).failure);
    Bytes line;
    for (char16_t c : first + u"\r\n") {
        line.push_back(static_cast<unsigned char>(c));
        line.push_back(0);
    }
    EXPECT_EQ(fileBytes(dir.path() / "w" / "P.txt"), bom() + line) << "only the stopped press";
}

} // namespace
} // namespace kelvora::test
