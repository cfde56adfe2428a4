// The event package: a round trip that carries every byte and the draw under way, the backup an install
// keeps, names and summaries, and hostile packages (built here with QuaZip), each refused for its own reason
// without changing a thing in the program's folder.

#include "standby/event_package.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <QCryptographicHash>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <csignal>
#include <fstream>
#include <optional>

#include "platform/text.h"
#include "standby/event_files.h"
#include "standby_fixture.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

std::string sha256Hex(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// One entry of a hand-made package, and how its manifest line may lie about it.
struct ZipItem {
    std::string name;
    std::string bytes;
    std::uint64_t zeros = 0;                // zero bytes after bytes, streamed (a bomb's filling)
    std::uint32_t mode = 0100644;           // Unix mode in the external attributes' high half
    bool listed = true;                     // has a manifest line
    bool inZip = true;                      // has a zip entry
    std::optional<std::uint64_t> size = {}; // the manifest's size, when it lies
    std::optional<std::string> sha256 = {}; // the manifest's hash, when it lies
};

struct PackageSpec {
    std::vector<ZipItem> items;
    int format = 1;
    std::optional<std::string> manifest = {}; // replaces the one made from items
    bool withManifest = true;
    std::pair<std::string, std::string> patch = {}; // same-length bytes replaced in the finished file
    std::size_t keepBytes = 0;                      // cut the finished file to this length (0: whole)
};

std::string manifestFor(const PackageSpec& recipe) {
    if (recipe.manifest)
        return *recipe.manifest;
    std::string json = "{\"format\":" + std::to_string(recipe.format) +
                       ",\"program\":\"test\",\"created\":\"2024-01-05T10:00:00\",\"files\":[";
    bool first = true;
    for (const ZipItem& item : recipe.items) {
        if (!item.listed)
            continue;
        std::string name;
        for (const char c : item.name)
            name += c == '\\' ? std::string("\\\\") : std::string(1, c);
        json += std::string(first ? "" : ",") + "{\"path\":\"" + name +
                "\",\"size\":" + std::to_string(item.size.value_or(item.bytes.size() + item.zeros)) +
                ",\"sha256\":\"" +
                item.sha256.value_or(sha256Hex(item.bytes + std::string(item.zeros, '\0'))) + "\"}";
        first = false;
    }
    return json + "]}";
}

void addEntry(QuaZip& zip, const std::string& name, const std::string& bytes, std::uint64_t zeros,
              std::uint32_t mode) {
    QuaZipNewInfo info(QString::fromStdString(name));
    info.externalAttr = mode << 16;
    QuaZipFile entry(&zip);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_BEST_SPEED));
    entry.write(bytes.data(), static_cast<qint64>(bytes.size()));
    const std::string block(1 << 20, '\0');
    for (std::uint64_t left = zeros; left > 0; left -= std::min<std::uint64_t>(left, block.size()))
        entry.write(block.data(), static_cast<qint64>(std::min<std::uint64_t>(left, block.size())));
    entry.close();
    ASSERT_EQ(entry.getZipError(), ZIP_OK);
}

void writePackage(const fs::path& file, const PackageSpec& recipe) {
    {
        QuaZip zip(QString::fromStdString(file.string()));
        zip.setUtf8Enabled(true);
        ASSERT_TRUE(zip.open(QuaZip::mdCreate));
        for (const ZipItem& item : recipe.items)
            if (item.inZip)
                addEntry(zip, item.name, item.bytes, item.zeros, item.mode);
        if (recipe.withManifest)
            addEntry(zip, "manifest.json", manifestFor(recipe), 0, 0100644);
        zip.close();
    }
    if (!recipe.patch.first.empty()) {
        Bytes bytes = readBytes(file);
        std::string image(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        for (std::size_t at = image.find(recipe.patch.first); at != std::string::npos;
             at = image.find(recipe.patch.first, at + 1))
            image.replace(at, recipe.patch.second.size(), recipe.patch.second);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << image;
    }
    if (recipe.keepBytes > 0)
        fs::resize_file(file, recipe.keepBytes);
}

std::uint64_t freeSpace(const fs::path& folder) {
    struct statvfs info {};
    EXPECT_EQ(::statvfs(folder.c_str(), &info), 0);
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

class PackageTest : public ::testing::Test {
protected:
    TempDir dir;
    DataPaths from{dir.path() / "源"};
    DataPaths to{dir.path() / "目标"};
    fs::path outFolder = dir.path() / "包";
    fs::path package = outFolder / "活动.kelvora";

    void SetUp() override {
        for (const fs::path& folder : {from.root, to.root, outFolder})
            fs::create_directories(folder);
    }

    void pack() {
        const PackResult packed = packEvent(from, package, "1.2.3", nullptr, {});
        ASSERT_TRUE(packed.failure.ok()) << u8(packageFailureText(packed.failure));
    }

    StagedPackage stage() {
        const StageResult staged = stagePackage(package, to, nullptr, {});
        EXPECT_TRUE(staged.failure.ok()) << u8(packageFailureText(staged.failure));
        return staged.staged;
    }
};

TEST_F(PackageTest, RoundTripCarriesEveryFileAndTheDrawUnderWay) {
    writeSampleEvent(from, {.drawStarted = true});
    writeBytes(from.standbyFile, Bytes(8, std::byte{1})); // this computer's, never packed
    std::vector<std::pair<int, int>> steps;
    const PackResult packed = packEvent(from, package, "1.2.3", nullptr,
                                        [&](int done, int total) { steps.emplace_back(done, total); });
    ASSERT_TRUE(packed.failure.ok()) << u8(packageFailureText(packed.failure));
    const int fileCount = static_cast<int>(listEventFiles(from, false).files.size());
    EXPECT_EQ(packed.files, fileCount);
    EXPECT_EQ(steps.back(), std::pair(fileCount, fileCount));
    EXPECT_TRUE(tempFilesIn(outFolder).empty());

    const StagedPackage staged = stage();
    EXPECT_EQ(staged.manifest.program, "1.2.3");
    EXPECT_EQ(static_cast<int>(staged.manifest.files.size()), fileCount);
    const EventSummary& summary = staged.summary;
    EXPECT_EQ(u8(summary.mainTitle), "年会抽奖");
    EXPECT_TRUE(summary.textMode);
    EXPECT_EQ(summary.entrants, 12);
    EXPECT_EQ(summary.prizes.size(), 3u);
    EXPECT_TRUE(summary.drawStarted);
    EXPECT_EQ(summary.currentPrize, 1);
    EXPECT_EQ(summary.winners, 3);
    EXPECT_EQ(summary.totalQuota, 10);
    EXPECT_TRUE(summary.unreadable.empty());
    EXPECT_EQ(u8(summaryText(summary)),
              "主标题: 年会抽奖\n奖项: 3 个 (一等奖 2 名, 二等奖 3 名, 三等奖 5 名)\n"
              "名单: 12 人 (文字)\n抽奖进度: 进行中，第 2 个奖项「二等奖」，已抽出 3 / 10 人");

    const InstallResult installed = installStagedPackage(staged, to, at(2024, 1, 5, 10, 20, 30));
    ASSERT_TRUE(installed.failure) << u8(messageText(installed.failure));
    EXPECT_TRUE(installed.backup.empty()); // nothing was there to keep
    fs::remove(from.standbyFile);
    EXPECT_EQ(listTree(to.settingsFolder), listTree(from.settingsFolder));
    EXPECT_EQ(listTree(to.progressFolder), listTree(from.progressFolder));
    EXPECT_EQ(listTree(to.root).size(), listTree(from.root).size()); // no staging folder, no backup
    EXPECT_EQ(u8(summaryText(summarizeEvent(to))), u8(summaryText(summary)));
}

TEST_F(PackageTest, InstallKeepsTheReplacedEventInABackupFolder) {
    writeSampleEvent(from, {.title = u"新活动"});
    writeSampleEvent(to, {.title = u"旧活动", .names = 30, .drawStarted = true});
    const auto oldEvent = listTree(to.root);
    pack();
    const std::tm now = at(2024, 1, 5, 10, 20, 30);
    const InstallResult installed = installStagedPackage(stage(), to, now);
    ASSERT_TRUE(installed.failure) << u8(messageText(installed.failure));
    EXPECT_EQ(installed.backup, to.root / "活动备份-20240105-102030");
    EXPECT_EQ(listTree(installed.backup), oldEvent);
    EXPECT_EQ(listTree(to.settingsFolder), listTree(from.settingsFolder));
    EXPECT_FALSE(fs::exists(to.progressFolder)); // the package had no draw under way
    EXPECT_EQ(u8(summarizeEvent(to).mainTitle), "新活动");

    // A second install in the same second keeps the first backup.
    const InstallResult again = installStagedPackage(stage(), to, now);
    ASSERT_TRUE(again.failure);
    EXPECT_EQ(again.backup, to.root / "活动备份-20240105-102030(2)");
    EXPECT_EQ(listTree(installed.backup), oldEvent);
}

TEST_F(PackageTest, AFailedInstallPutsEverythingBack) {
    writeSampleEvent(from, {.drawStarted = true});
    writeSampleEvent(to, {.title = u"旧活动", .drawStarted = true});
    pack();
    const StagedPackage staged = stage();
    openToEveryone(dir.path());
    for (const fs::path& folder :
         {to.root, to.settingsFolder, to.progressFolder, staged.folder, staged.folder / "参数设置(勿删)"})
        fs::permissions(folder, fs::perms::all);
    // A folder moved to another parent needs write access to itself (its ".." changes): the last move fails.
    fs::permissions(staged.folder / "抽取进度(勿删)", fs::perms::owner_all | fs::perms::group_read |
                                                          fs::perms::group_exec | fs::perms::others_read |
                                                          fs::perms::others_exec);
    const auto before = listTree(to.root);
    const ChildResult child = runInChild(
        [&](const auto& report) {
            const InstallResult installed = installStagedPackage(staged, to, at(2024, 1, 5, 10, 20, 30));
            report(installed.failure.errnum == EACCES && installed.failure.step == FileStep::Rename
                       ? "refused"
                       : "other");
            return 0;
        },
        true);
    EXPECT_EQ(child.output, "refused");
    EXPECT_EQ(listTree(to.root), before); // the staged folder is still in there, whole
    discardStagedPackage(staged);
    EXPECT_FALSE(fs::exists(staged.folder));
}

TEST_F(PackageTest, APackThatCannotFinishLeavesNoFile) {
    writeSampleEvent(from, {.drawStarted = true});
    enum class Way { Cancel, ReadOnlyFolder, FileSizeLimit };
    for (const Way way : {Way::Cancel, Way::ReadOnlyFolder, Way::FileSizeLimit}) {
        SCOPED_TRACE(static_cast<int>(way));
        if (way == Way::Cancel) {
            const std::atomic<bool> cancel{true};
            EXPECT_EQ(packEvent(from, package, "1", &cancel, {}).failure.fault, PackageFault::Cancelled);
        } else {
            openToEveryone(dir.path());
            fs::permissions(outFolder,
                            way == Way::ReadOnlyFolder
                                ? fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec
                                : fs::perms::all);
            const ChildResult child = runInChild(
                [&](const auto& report) {
                    if (way == Way::FileSizeLimit) {
                        std::signal(SIGXFSZ, SIG_IGN);
                        const rlimit limit{8000, 8000};
                        ::setrlimit(RLIMIT_FSIZE, &limit);
                    }
                    const PackResult packed = packEvent(from, package, "1", nullptr, {});
                    report(packed.failure.fault == PackageFault::File
                               ? std::to_string(packed.failure.file.errnum)
                               : "no failure");
                    return 0;
                },
                true);
            EXPECT_EQ(child.output, std::to_string(way == Way::ReadOnlyFolder ? EACCES : EFBIG));
        }
        EXPECT_TRUE(fs::is_empty(outFolder));
    }
}

TEST_F(PackageTest, ALeftoverStagingFolderGoesWithTheNextStage) {
    writeSampleEvent(from);
    pack();
    const auto before = listTree(to.root);
    writeBytes(to.root / "活动包.导入中-Ab12Cd" / "参数设置(勿删)" / "半个文件.dat", Bytes(10));
    const StagedPackage staged = stage();
    EXPECT_FALSE(fs::exists(to.root / "活动包.导入中-Ab12Cd"));
    discardStagedPackage(staged);
    EXPECT_EQ(listTree(to.root), before);

    const std::atomic<bool> cancel{true};
    EXPECT_EQ(stagePackage(package, to, &cancel, {}).failure.fault, PackageFault::Cancelled);
    EXPECT_EQ(listTree(to.root), before);
}

TEST_F(PackageTest, HostilePackagesAreRefusedAndChangeNothing) {
    writeSampleEvent(to, {.drawStarted = true});
    const auto before = listTree(to.root);
    const std::string prizes = "参数设置(勿删)/奖项/_奖项设置.dat";
    const std::string progress = "抽取进度(勿删)/抽取进度.dat";
    const std::vector<ZipItem> good{{prizes, "prizes"}, {progress, "progress"}};
    auto with = [&](ZipItem extra) {
        std::vector<ZipItem> items = good;
        items.push_back(std::move(extra));
        return items;
    };
    ZipItem wrongHash{prizes, "prizes"};
    wrongHash.sha256 = sha256Hex("other");
    ZipItem bomb{"参数设置(勿删)/炸弹.dat", ""};
    bomb.zeros = 200u << 20;
    bomb.size = 10;
    ZipItem unlisted{"参数设置(勿删)/多余.dat", "x"};
    unlisted.listed = false;
    ZipItem missing{"参数设置(勿删)/缺少.dat", "x"};
    missing.inZip = false;
    ZipItem link{"参数设置(勿删)/链接.dat", "/etc/passwd"};
    link.mode = 0120777;
    ZipItem shorter{prizes, "prizes"};
    shorter.size = 100;

    struct Case {
        const char* what;
        PackageSpec recipe;
        PackageFault fault;
        PackageLimits limits = {};
    } cases[] = {
        {"not a zip", {}, PackageFault::Damaged},
        {"truncated", {.items = good, .keepBytes = 120}, PackageFault::Damaged},
        {"no manifest", {.items = good, .withManifest = false}, PackageFault::Damaged},
        {"manifest not JSON", {.items = good, .manifest = "{\"format\":1,"}, PackageFault::Damaged},
        {"wrong hash", {.items = {wrongHash, {progress, "p"}}}, PackageFault::Checksum},
        {"size listed larger", {.items = {shorter}}, PackageFault::Checksum},
        {"parent folder", {.items = with({"参数设置(勿删)/../../逃逸.dat", "x"})}, PackageFault::UnsafePath},
        {"absolute", {.items = with({"/tmp/逃逸.dat", "x"})}, PackageFault::UnsafePath},
        {"dot", {.items = with({"参数设置(勿删)/./x.dat", "x"})}, PackageFault::UnsafePath},
        {"empty component", {.items = with({"参数设置(勿删)//x.dat", "x"})}, PackageFault::UnsafePath},
        {"other folder", {.items = with({"历史记录/x.dat", "x"})}, PackageFault::UnsafePath},
        {"standby settings", {.items = with({"参数设置(勿删)/备用位置.dat", "x"})}, PackageFault::UnsafePath},
        {"backslash", {.items = with({"参数设置(勿删)\\x.dat", "x"})}, PackageFault::UnsafePath},
        {"not UTF-8",
         {.items = with({"参数设置(勿删)/QQ.dat", "x"}), .patch = {"QQ.dat", "\xff\xfe.dat"}},
         PackageFault::UnsafePath},
        {"symbolic link", {.items = with(link)}, PackageFault::SymbolicLink},
        {"zip bomb", {.items = with(bomb)}, PackageFault::Damaged},
        {"newer format", {.items = good, .format = 2}, PackageFault::NewerFormat},
        {"not in manifest", {.items = with(unlisted)}, PackageFault::Damaged},
        {"not in zip", {.items = with(missing)}, PackageFault::Damaged},
        {"duplicate", {.items = with({prizes, "prizes"})}, PackageFault::Damaged},
        {"file and folder", {.items = with({prizes + "/x.dat", "x"})}, PackageFault::Damaged},
        {"too many files", {.items = good}, PackageFault::Damaged, {.maxEntries = 1}},
        {"no room",
         {.items = good},
         PackageFault::NoSpace,
         {.spaceMargin = freeSpace(to.root) + (std::uint64_t{1} << 30)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.recipe.items.empty())
            std::ofstream(package, std::ios::binary | std::ios::trunc) << "PK\x03\x04 but nothing else";
        else
            writePackage(package, c.recipe);
        const StageResult result = stagePackage(package, to, nullptr, {}, c.limits);
        EXPECT_EQ(result.failure.fault, c.fault) << u8(packageFailureText(result.failure));
        EXPECT_TRUE(listTree(to.root) == before); // the listings are too long to print
        discardStagedPackage(result.staged);
        const std::string text = u8(packageFailureText(result.failure));
        if (c.fault == PackageFault::NewerFormat) {
            EXPECT_EQ(text, "这个活动包由更新版本的软件制作(格式版本 2)，请先升级本软件");
        }
        if (c.fault == PackageFault::Checksum) {
            EXPECT_EQ(text, "活动包中的文件校验失败，可能已损坏或被改动:\n" + prizes);
        }
    }
}

TEST(PackageNameTest, TitleBecomesASafeFileName) {
    const std::tm now = at(2024, 1, 5, 9, 7, 0);
    struct Case {
        std::u16string title;
        std::string expected;
    } cases[] = {
        {u"年会", "年会-20240105-0907.kelvora"},
        {u"A/B\tC\u007F", "A_B_C_-20240105-0907.kelvora"},
        {u"", "活动-20240105-0907.kelvora"},
        {u" \u3000", "活动-20240105-0907.kelvora"},
        {u" 年会\u3000", "年会-20240105-0907.kelvora"},
        {std::u16string(255, u'奖'), std::string(66 * 3, '\0')}, // cut within the file name's 255 bytes
    };
    for (const Case& c : cases) {
        const std::string name = u8(packageFileName(c.title, now));
        if (c.expected.front() != '\0') {
            EXPECT_EQ(name, c.expected);
        } else {
            EXPECT_LE(name.size(), 255u);
            EXPECT_EQ(name.substr(name.size() - 22), "-20240105-0907.kelvora");
            EXPECT_EQ(fromUtf8(name).substr(0, 10), std::u16string(10, u'奖'));
        }
    }
}

} // namespace
} // namespace kelvora::test
