// From a sheet to the name list: the text the import dialog is given, the guess at a header row, and the
// command line's import, which must leave the list file alone whenever it refuses.

#include <gtest/gtest.h>

#include <fstream>

#include "draw/progress_file.h"
#include "platform/text.h"
#include "records/prizes.h"
#include "settings/list_import.h"
#include "settings/text_list_rules.h"
#include "settings/text_name_list.h"
#include "sheets/sheet_file.h"
#include "sheets/sheet_import.h"
#include "sheets/winners_workbook.h"
#include "sheets/zip_workbook.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

Sheet sheetOf(std::vector<std::vector<std::u16string>> rows) {
    Sheet sheet;
    int number = 0;
    for (std::vector<std::u16string>& cells : rows) {
        sheet.columnCount = std::max(sheet.columnCount, static_cast<int>(cells.size()));
        sheet.rows.push_back({++number, std::move(cells)});
    }
    return sheet;
}

TEST(SheetImportTest, ChosenColumnsBecomeThePastedText) {
    const Sheet staff = sheetOf({{u"姓名", u"部门", u"工号"},
                                 {u"张三", u"销售部", u"00123"},
                                 {u"", u"人事部", u"00124"}, // no name: blank in the name column only
                                 {u"李小四", u"", u"00125"}});
    struct Case {
        const char* what;
        SheetImportChoice choice;
        std::u16string text;
    };
    const Case cases[] = {
        {"every column, titles kept",
         {{}, false},
         u"姓名\t部门\t工号\n张三\t销售部\t00123\n\t人事部\t00124\n李小四\t\t00125\n"},
        {"titles left out", {{}, true}, u"张三\t销售部\t00123\n\t人事部\t00124\n李小四\t\t00125\n"},
        {"names and numbers reordered", {{2, 0}, true}, u"00123\t张三\n00124\t\n00125\t李小四\n"},
        {"a row empty in the chosen column is no entrant", {{0}, true}, u"张三\n李小四\n"},
        {"a column past the row's end reads empty", {{0, 7}, true}, u"张三\t\n李小四\t\n"},
    };
    for (const Case& c : cases) {
        const SheetImportText out = sheetImportText(staff, c.choice);
        EXPECT_EQ(u8(out.text), u8(c.text)) << c.what;
        EXPECT_FALSE(out.tooMany) << c.what;
    }

    // The list's limit counts names, not the header row: 30000 names fit under a title row.
    std::vector<std::vector<std::u16string>> many{{u"姓名"}};
    for (int i = 0; i < kMaxEntrants + 1; ++i)
        many.push_back({decimalText(i)});
    const Sheet big = sheetOf(many);
    EXPECT_FALSE(sheetImportText(sheetOf({many.begin(), many.end() - 1}), {{}, true}).tooMany);
    const SheetImportText cut = sheetImportText(big, {{}, true});
    EXPECT_TRUE(cut.tooMany);
    EXPECT_EQ(cut.rows, kMaxEntrants);
}

TEST(SheetImportTest, HeaderRowIsGuessedFromItsTitles) {
    EXPECT_TRUE(looksLikeHeader(sheetOf({{u"序号", u"员工姓名"}, {u"1", u"张三"}})));
    EXPECT_TRUE(looksLikeHeader(sheetOf({{u"Name", u"Dept"}, {u"Ann", u"Sales"}})));
    EXPECT_FALSE(looksLikeHeader(sheetOf({{u"张三", u"销售部"}, {u"李四", u"人事部"}})));
    EXPECT_FALSE(looksLikeHeader(sheetOf({})));
}

class SheetListImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(csv, std::ios::binary)
            << "姓名,部门\r\n张三,销售部\r\n\"李, 小四\",人事部\r\nzhang san,x\r\n"
               "ZHANG SAN,x\r\n";
    }
    Bytes listBytes() const {
        return std::filesystem::exists(paths.textListFile) ? readBytes(paths.textListFile) : Bytes{};
    }

    TempDir dir;
    DataPaths paths{dir.path()};
    std::filesystem::path csv = dir.path() / "员工.csv";
};

TEST_F(SheetListImportTest, ReplacesTheListAsTheDialogWould) {
    TextNameList old;
    old.entries = entrantsNamed({u"旧名单"});
    ASSERT_TRUE(saveTextNameList(paths, old));

    const SheetListImportOutcome outcome = importSheetIntoList(paths, {csv, u"", {{}, true}});
    ASSERT_TRUE(outcome.imported) << (outcome.messages.empty() ? "" : u8(outcome.messages.front()));
    EXPECT_EQ(outcome.entries, 3);
    EXPECT_EQ(outcome.duplicates, 1); // letter case only
    TextNameList list;
    ASSERT_TRUE(loadTextNameList(paths, list));
    EXPECT_EQ(namesOf(list.entries),
              (std::vector<std::string>{"张三 销售部", "李, 小四 人事部", "zhang san x"}));
    EXPECT_EQ(list.spaceAligned, 0);
}

TEST_F(SheetListImportTest, RefusalsLeaveTheListFileAsItWas) {
    TextNameList old;
    old.entries = entrantsNamed({u"旧名单"});
    ASSERT_TRUE(saveTextNameList(paths, old));
    const Bytes before = listBytes();

    const std::filesystem::path binary = dir.path() / "名单.csv";
    writeBytes(binary, Bytes{std::byte{0x7f}, std::byte{'E'}, std::byte{'L'}, std::byte{'F'}, std::byte{0},
                             std::byte{0}, std::byte{1}, std::byte{0}});
    const std::filesystem::path empty = dir.path() / "空.csv";
    writeBytes(empty, Bytes{std::byte{'\n'}, std::byte{' '}, std::byte{'\n'}});
    struct Case {
        const char* what;
        SheetListImportRequest request;
        std::u16string message;
    };
    const Case cases[] = {
        {"binary data named .csv", {binary, u"", {}}, sheetFailureText({SheetFault::NotText, {}}, binary)},
        {"no such sheet", {csv, u"第二页", {}}, u"表格中没有工作表“第二页”"},
        {"nothing but blank lines", {empty, u"", {}}, std::u16string(kNothingToImportText)},
    };
    for (const Case& c : cases) {
        const SheetListImportOutcome outcome = importSheetIntoList(paths, c.request);
        EXPECT_FALSE(outcome.imported) << c.what;
        ASSERT_FALSE(outcome.messages.empty()) << c.what;
        EXPECT_EQ(u8(outcome.messages.back()), u8(c.message)) << c.what;
        EXPECT_EQ(listBytes(), before) << c.what;
    }

    // A draw in progress owns the list.
    PrizeList prizes(1);
    setField(prizes[0].name, u"一等奖");
    ASSERT_TRUE(savePrizes(paths, prizes));
    DrawProgress progress;
    progress.pool = old.entries;
    ASSERT_TRUE(saveProgress(paths, progress));
    const SheetListImportOutcome locked = importSheetIntoList(paths, {csv, u"", {}});
    EXPECT_FALSE(locked.imported);
    ASSERT_EQ(locked.messages.size(), 1u);
    EXPECT_EQ(u8(locked.messages[0]), u8(kListLockedText));
    EXPECT_EQ(listBytes(), before);
}

TEST(SheetRoundTripTest, ExportedWinnersReadBackAsTheSameNames) {
    TempDir dir;
    WinnerList winners;
    for (const char16_t* name : {u"张三  销售部 00123", u"李小四 人事部 00124"})
        addWinner(winners, u"一等奖", makeEntrant(name));
    addWinner(winners, u"还未中奖", makeEntrant(u"O'Brien 研发部 13800138000"));
    const EntrantPool pool = entrantsNamed({u"王五 财务部 00007"});
    const std::filesystem::path file = dir.path() / "中奖名单.xlsx";
    const XlsxWriteResult written = writeWinnersWorkbook(file, winners, pool, false);
    ASSERT_TRUE(written.failure) << u8(messageText(written.failure));

    const Workbook book = readSheetFile(file);
    ASSERT_FALSE(book.failure) << u8(sheetFailureText(*book.failure, file));
    const std::vector<SheetOut> expected = winnersSheets(winners, pool, false);
    ASSERT_EQ(book.sheets.size(), expected.size());
    for (std::size_t s = 0; s < expected.size(); ++s) {
        ASSERT_EQ(book.sheets[s].rows.size(), expected[s].rows.size()) << s;
        for (std::size_t r = 0; r < expected[s].rows.size(); ++r) {
            std::vector<std::u16string> cells = expected[s].rows[r];
            while (!cells.empty() && cells.back().empty())
                cells.pop_back();
            EXPECT_EQ(book.sheets[s].rows[r].cells, cells) << "sheet " << s << " row " << r;
        }
    }
}

} // namespace
} // namespace kelvora::test
