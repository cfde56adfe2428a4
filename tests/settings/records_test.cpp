#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/prizes.h"
#include "settings/picture_name_list.h"
#include "settings/text_name_list.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

std::u16string badContent(const fs::path& p) {
    return u"读文件失败:\n" + fromUtf8(p.string()) + u"\n\n文件内容有错误" + keptNote(p);
}

Entrant entrant(std::u16string_view name, std::int32_t winOrder = 0) {
    Entrant e = makeEntrant(name);
    e.winOrder = winOrder;
    return e;
}

class RecordsTest : public ::testing::Test {
protected:
    TempDir dir;
    DataPaths paths{dir.path()};
};

// --- prizes
// -------------------------------------------------------------------------------------------------

struct PrizeFields {
    std::u16string name = u"一等奖";
    std::int32_t quota = 3, perDraw = 2, perLine = 1, fontSize = 60;
};

Bytes prizeBlock(const PrizeFields& f, std::initializer_list<std::int32_t> whiteOrders,
                 std::initializer_list<std::int32_t> blackOrders) {
    Bytes b;
    appendText(b, f.name, 128);
    for (std::int32_t v : {f.quota, f.perDraw, f.perLine, f.fontSize})
        appendInt32(b, v);
    appendText(b, u"奖品", 128);
    appendText(b, u"car.jpg", 260);
    appendInt32(b, static_cast<std::int32_t>(whiteOrders.size()));
    for (std::int32_t order : whiteOrders)
        appendEntrant(b, u"白" + std::u16string(1, char16_t(u'0' + order)), 77, order);
    appendInt32(b, static_cast<std::int32_t>(blackOrders.size()));
    for (std::int32_t order : blackOrders)
        appendEntrant(b, u"黑", 88, order);
    return b;
}

Bytes prizeFile(std::int32_t count, const std::vector<Bytes>& blocks) {
    Bytes b;
    appendInt32(b, count);
    for (const Bytes& block : blocks)
        b.insert(b.end(), block.begin(), block.end());
    return b;
}

TEST_F(RecordsTest, PrizeFileHasTheExactLayoutAndReadsBack) {
    PrizeList prizes(2);
    setField(prizes[0].name, u"一等奖");
    prizes[0].quota = 3;
    prizes[0].perDraw = 2;
    setField(prizes[0].prizeText, u"奖品");
    setField(prizes[0].imageFile, u"car.jpg");
    prizes[0].whiteList = {entrant(u"白1", 1), entrant(u"白0", 0)};
    prizes[0].whiteList[0].nameKey = prizes[0].whiteList[1].nameKey = 77; // stored keys are kept as they are
    prizes[0].blackList = {entrant(u"黑")};
    prizes[0].blackList[0].nameKey = 88;
    prizes[1] = prizes[0];
    prizes[1].whiteList.clear();
    prizes[1].blackList.clear();
    setField(prizes[1].name, u"二等奖");
    ASSERT_TRUE(savePrizes(paths, prizes));

    PrizeFields second;
    second.name = u"二等奖";
    const Bytes expected = prizeFile(2, {prizeBlock({}, {1, 0}, {0}), prizeBlock(second, {}, {})});
    EXPECT_EQ(expected.size(), 4u + 1056 + 3 * 264 + 1056);
    EXPECT_EQ(readBytes(paths.prizeFile), expected);

    PrizeList loaded;
    ASSERT_TRUE(loadPrizes(paths, loaded));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].nameText(), u"一等奖");
    EXPECT_EQ(fieldText(loaded[0].imageFile), u"car.jpg");
    ASSERT_EQ(loaded[0].whiteList.size(), 2u);
    EXPECT_EQ(loaded[0].whiteList[0].winOrder, 1);
    EXPECT_EQ(loaded[0].whiteList[0].nameKey, 77);
    EXPECT_EQ(loaded[0].blackList[0].text(), u"黑");
    EXPECT_EQ(loaded[1].nameText(), u"二等奖");

    PrizeList none;
    ASSERT_TRUE(savePrizes(paths, none));
    EXPECT_EQ(readBytes(paths.prizeFile), prizeFile(0, {}));
    loaded.resize(3);
    EXPECT_TRUE(loadPrizes(paths, loaded));
    EXPECT_TRUE(loaded.empty());
}

TEST_F(RecordsTest, PrizeReaderForcesTerminatorsAndClearsBlackWinOrders) {
    Bytes file = prizeFile(1, {prizeBlock({}, {0}, {5, -3})});
    // Fill the name to its last unit: the reader must cut it at 127 units.
    for (std::size_t i = 0; i < 256; i += 2) {
        file[4 + i] = std::byte{'x'};
        file[4 + i + 1] = std::byte{0};
    }
    writeBytes(paths.prizeFile, file);
    PrizeList loaded;
    ASSERT_TRUE(loadPrizes(paths, loaded));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].nameText().size(), 127u);
    ASSERT_EQ(loaded[0].blackList.size(), 2u);
    EXPECT_EQ(loaded[0].blackList[0].winOrder, 0);
    EXPECT_EQ(loaded[0].blackList[1].winOrder, 0);
}

TEST_F(RecordsTest, PrizeFileOutOfRangeEmptiesTheWholeList) {
    auto with = [](auto change) {
        PrizeFields f;
        change(f);
        return f;
    };
    Bytes longer = prizeFile(1, {prizeBlock({}, {}, {})});
    longer.push_back(std::byte{0});
    const std::size_t whiteCountAt = 4 + 1048;
    Bytes tooManyWhite = prizeFile(1, {prizeBlock({}, {}, {})});
    tooManyWhite[whiteCountAt] = std::byte{0x31}; // 30001
    tooManyWhite[whiteCountAt + 1] = std::byte{0x75};

    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"257 prizes", prizeFile(257, {})},
        {"negative count", prizeFile(-1, {})},
        {"perDraw above quota", prizeFile(1, {prizeBlock(with([](auto& f) { f.perDraw = 4; }), {}, {})})},
        {"fontSize 15", prizeFile(1, {prizeBlock(with([](auto& f) { f.fontSize = 15; }), {}, {})})},
        {"quota 30001", prizeFile(1, {prizeBlock(with([](auto& f) { f.quota = 30001; }), {}, {})})},
        {"perLine 6", prizeFile(1, {prizeBlock(with([](auto& f) { f.perLine = 6; }), {}, {})})},
        {"perDraw 51", prizeFile(1, {prizeBlock(with([](auto& f) {
                                                    f.perDraw = 51;
                                                    f.quota = 60;
                                                }),
                                                {}, {})})},
        {"negative white win order", prizeFile(1, {prizeBlock({}, {2, -1}, {})})},
        {"white count 30001", tooManyWhite},
        {"one byte too long", longer},
        {"one prize short", prizeFile(2, {prizeBlock({}, {}, {})})},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        writeBytes(paths.prizeFile, bytes);
        PrizeList loaded(2);
        const FileResult result = loadPrizes(paths, loaded);
        EXPECT_FALSE(result);
        EXPECT_TRUE(loaded.empty());
        EXPECT_EQ(messageText(result), badContent(paths.prizeFile));
        EXPECT_EQ(readBytes(paths.prizeFile), bytes);
    }
}

TEST_F(RecordsTest, ClearingAllListsWritesThePrizeFileEvenWithNothingToClear) {
    PrizeList prizes(2);
    setField(prizes[0].name, u"一等奖");
    setField(prizes[1].name, u"二等奖");
    ASSERT_TRUE(clearAllBlackWhiteLists(paths, prizes));
    EXPECT_EQ(fs::file_size(paths.prizeFile), 4u + 2 * 1056);

    prizes[0].whiteList = {entrant(u"甲", 1)};
    prizes[1].blackList = {entrant(u"乙"), entrant(u"丙")};
    ASSERT_TRUE(savePrizes(paths, prizes));
    ASSERT_TRUE(clearAllBlackWhiteLists(paths, prizes));
    EXPECT_TRUE(prizes[0].whiteList.empty());
    EXPECT_TRUE(prizes[1].blackList.empty());
    PrizeList loaded;
    ASSERT_TRUE(loadPrizes(paths, loaded));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0].whiteList.empty() && loaded[1].blackList.empty());
}

TEST_F(RecordsTest, PrizePictureIsOnlyEverJoinedInsideThePrizeFolder) {
    PrizeItem prize;
    EXPECT_FALSE(prizeImagePath(paths, prize).has_value());
    setField(prize.imageFile, u"../../etc/passwd");
    EXPECT_FALSE(prizeImagePath(paths, prize).has_value());
    setField(prize.imageFile, u"车.jpg");
    EXPECT_EQ(prizeImagePath(paths, prize), paths.prizeFolder / u8"车.jpg");
}

// --- draw mode
// ----------------------------------------------------------------------------------------------

TEST_F(RecordsTest, DrawModeIsFourBytesAndAnyValueIsAccepted) {
    ASSERT_TRUE(saveDrawMode(paths, DrawMode{kTextMode}));
    EXPECT_EQ(readBytes(paths.drawModeFile), Bytes(4));
    Bytes seven;
    appendInt32(seven, 7);
    writeBytes(paths.drawModeFile, seven);
    DrawMode mode{kTextMode};
    ASSERT_TRUE(loadDrawMode(paths, mode));
    EXPECT_EQ(mode.mode, 7);
    EXPECT_FALSE(mode.isTextMode());
}

// --- text name list
// -----------------------------------------------------------------------------------------

TEST_F(RecordsTest, TextListHasTheExactLayoutAndReadsBackWithWinOrdersCleared) {
    TextNameList list;
    list.spaceAligned = 1;
    list.entries = {entrant(u"张三"), entrant(u"Li Si/3号")}; // text names may hold "/": they are never paths
    list.entries[1].nameKey = 12345;
    ASSERT_TRUE(saveTextNameList(paths, list));
    Bytes expected;
    appendInt32(expected, 1);
    appendInt32(expected, 2);
    appendEntrant(expected, u"张三", computeNameKey(u"张三"), 0);
    appendEntrant(expected, u"Li Si/3号", 12345, 0);
    EXPECT_EQ(readBytes(paths.textListFile), expected);

    expected[8 + 260] = std::byte{9}; // a stored win order
    writeBytes(paths.textListFile, expected);
    TextNameList loaded;
    ASSERT_TRUE(loadTextNameList(paths, loaded));
    EXPECT_EQ(loaded.spaceAligned, 1);
    ASSERT_EQ(loaded.entries.size(), 2u);
    EXPECT_EQ(loaded.entries[0].winOrder, 0);
    EXPECT_EQ(loaded.entries[1].text(), u"Li Si/3号");
    EXPECT_EQ(loaded.entries[1].nameKey, 12345);
}

TEST_F(RecordsTest, TextListCountsAreCheckedBeforeAnythingIsRead) {
    Bytes empty;
    appendInt32(empty, 5);
    appendInt32(empty, 0);
    writeBytes(paths.textListFile, empty);
    TextNameList loaded;
    ASSERT_TRUE(loadTextNameList(paths, loaded));
    EXPECT_EQ(loaded.spaceAligned, 5);
    EXPECT_TRUE(loaded.entries.empty());

    for (std::int32_t count : {30001, -1}) {
        SCOPED_TRACE(count);
        Bytes file;
        appendInt32(file, 1);
        appendInt32(file, count);
        if (count > 0)
            file.resize(8 + 264 * static_cast<std::size_t>(count)); // the length a valid count would need
        writeBytes(paths.textListFile, file);
        loaded.entries.resize(3);
        loaded.spaceAligned = 1;
        const FileResult result = loadTextNameList(paths, loaded);
        EXPECT_FALSE(result);
        EXPECT_TRUE(loaded.entries.empty());
        EXPECT_EQ(loaded.spaceAligned, 0);
        EXPECT_EQ(messageText(result), badContent(paths.textListFile));
    }
}

TEST_F(RecordsTest, ExportedListIsUtf16WithBomAndCrLf) {
    const fs::path file = dir.path() / "导出.txt";
    const std::vector<Entrant> entries = {entrant(u"张三"), entrant(u"A")};
    ASSERT_TRUE(exportTextListFile(file, entries));
    EXPECT_EQ(kExportDoneText, u"导出成功"); // what the list editor then tells the operator
    const Bytes expected = {std::byte{0xFF}, std::byte{0xFE}, std::byte{0x20}, std::byte{0x5F},
                            std::byte{0x09}, std::byte{0x4E}, std::byte{0x0D}, std::byte{0x00},
                            std::byte{0x0A}, std::byte{0x00}, std::byte{'A'},  std::byte{0x00},
                            std::byte{0x0D}, std::byte{0x00}, std::byte{0x0A}, std::byte{0x00}};
    EXPECT_EQ(readBytes(file), expected);

    // An operator's file that happens to carry the temporary-looking name stays untouched.
    writeBytes(dir.path() / "导出.txt.tmp", Bytes{std::byte{1}});
    ASSERT_TRUE(exportTextListFile(file, {}));
    EXPECT_EQ(readBytes(file), (Bytes{std::byte{0xFF}, std::byte{0xFE}}));
    EXPECT_EQ(readBytes(dir.path() / "导出.txt.tmp"), Bytes{std::byte{1}});

    const fs::path nowhere = dir.path() / "missing" / "x.txt";
    const FileResult result = exportTextListFile(nowhere, entries);
    EXPECT_FALSE(result);
    EXPECT_EQ(messageText(result),
              u"写文件失败:\n" + fromUtf8(nowhere.string()) + u"\n\n" + errorText(ENOENT));
}

// --- picture name list
// --------------------------------------------------------------------------------------

Bytes pictureFile(double ratio, std::initializer_list<std::u16string_view> names) {
    Bytes b;
    appendDouble(b, ratio);
    appendInt32(b, static_cast<std::int32_t>(names.size()));
    for (std::u16string_view name : names)
        appendEntrant(b, name, computeNameKey(name), 4);
    return b;
}

TEST_F(RecordsTest, PictureListHasTheExactLayoutAndAcceptsTheRatioBounds) {
    PictureNameList list;
    list.aspectRatio = 0.75;
    list.entries = {entrant(u"张三.jpg", 4), entrant(u"李四.png", 4)}; // written as held
    ASSERT_TRUE(savePictureNameList(paths, list));
    EXPECT_EQ(readBytes(paths.pictureListFile), pictureFile(0.75, {u"张三.jpg", u"李四.png"}));

    for (double ratio : {0.5, 2.0}) {
        writeBytes(paths.pictureListFile, pictureFile(ratio, {u"a.jpg"}));
        PictureNameList loaded;
        ASSERT_TRUE(loadPictureNameList(paths, loaded));
        EXPECT_EQ(loaded.aspectRatio, ratio);
        ASSERT_EQ(loaded.entries.size(), 1u);
        EXPECT_EQ(loaded.entries[0].winOrder, 0);
    }
    EXPECT_EQ(picturePath(paths, entrant(u"a.jpg")), paths.pictureFolder / "a.jpg");
}

TEST_F(RecordsTest, PictureListWithABadRatioOrAnUnsafeNameIsRejected) {
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"ratio 2.5", pictureFile(2.5, {})},
        {"ratio 0.49", pictureFile(0.49, {})},
        {"ratio NaN", pictureFile(std::numeric_limits<double>::quiet_NaN(), {})},
        {"parent folder", pictureFile(1.0, {u"a.jpg", u".."})},
        {"this folder", pictureFile(1.0, {u"."})},
        {"path", pictureFile(1.0, {u"../../../home/x/.bashrc"})},
        {"empty name", pictureFile(1.0, {u""})},
        {"count 30001",
         [] {
             Bytes b = pictureFile(1.0, {});
             b[8] = std::byte{0x31};
             b[9] = std::byte{0x75};
             return b;
         }()},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        writeBytes(paths.pictureListFile, bytes);
        PictureNameList loaded;
        loaded.aspectRatio = 0.9;
        loaded.entries.resize(1);
        const FileResult result = loadPictureNameList(paths, loaded);
        EXPECT_FALSE(result);
        EXPECT_TRUE(loaded.entries.empty());
        EXPECT_EQ(loaded.aspectRatio, 1.5);
        EXPECT_EQ(messageText(result), badContent(paths.pictureListFile));
    }
}

} // namespace
} // namespace kelvora::test
