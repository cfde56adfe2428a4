// The writers and the prize-sheet reader: sheet names Excel accepts, the winners workbook's layout, the prize
// table through the add dialog's rules, and a write that leaves the target whole whatever happens to it.

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <tuple>

#include "records/file_system.h"
#include "sheets/prize_sheet.h"
#include "sheets/winners_workbook.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

using Rows = std::vector<std::vector<std::u16string>>;

TEST(SheetNameTest, NamesAreValidAndUnique) {
    const std::u16string forty(40, u'x');
    const std::u16string smiley = u"\U0001F600";
    struct Case {
        std::u16string text;
        std::vector<std::u16string> taken;
        std::u16string expected;
    } cases[] = {
        {u"一等奖", {}, u"一等奖"},
        {u"[a]:b*c?d/e\\f", {}, u"_a__b_c_d_e_f"},
        {forty, {}, forty.substr(0, 31)},
        {forty, {forty.substr(0, 31)}, forty.substr(0, 28) + u"(2)"},
        {u"Prize", {u"PRIZE", u"prize(2)"}, u"Prize(3)"},
        {u"'引号'", {}, u"引号"},
        {u"'''", {}, u"Sheet"},
        {u"", {u"sheet"}, u"Sheet(2)"},
        {u"history", {}, u"history(2)"},
        {std::u16string(30, u'a') + smiley, {}, std::u16string(30, u'a')},
        {std::u16string(27, u'a') + smiley + u"b",
         {std::u16string(27, u'a') + smiley + u"b"},
         std::u16string(27, u'a') + u"(2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(u8(sheetNameFor(c.text, c.taken)), u8(c.expected)) << u8(c.text);
}

WinnerGroup group(std::u16string_view prize, std::initializer_list<std::u16string_view> names) {
    WinnerGroup g;
    setField(g.prizeName, prize);
    g.entrants = entrantsNamed(names);
    return g;
}

std::vector<std::u16string> sheetNames(const std::vector<SheetOut>& sheets) {
    std::vector<std::u16string> out;
    for (const SheetOut& sheet : sheets)
        out.push_back(sheet.name);
    return out;
}

TEST(WinnersSheetsTest, NamesSplitIntoColumnsAndPrizesGetSheetsOfTheirOwn) {
    const WinnerList winners{group(u"一等奖", {u"张三  销售部 001", u"李四"}),
                             group(u"还未中奖", {u"王五\u3000 市场部　002  "}), group(u"[特]", {})};
    const std::vector<SheetOut> sheets = winnersSheets(winners, entrantsNamed({u"赵六 财务部"}), false);
    EXPECT_EQ(sheetNames(sheets),
              (std::vector<std::u16string>{u"全部奖项", u"一等奖", u"还未中奖(2)", u"_特_", u"还未中奖"}));
    EXPECT_EQ(sheets[0].rows,
              (Rows{{u"奖项", u"序号", u"名单", u"列1", u"列2", u"列3"},
                    {u"一等奖", u"1", u"张三  销售部 001", u"张三", u"销售部", u"001"},
                    {u"一等奖", u"2", u"李四", u"李四", u"", u""},
                    {u"还未中奖", u"1", u"王五\u3000 市场部　002", u"王五", u"市场部", u"002"}}));
    EXPECT_EQ(sheets[2].rows, (Rows{{u"序号", u"名单", u"列1", u"列2", u"列3"},
                                    {u"1", u"王五\u3000 市场部　002", u"王五", u"市场部", u"002"}}));
    EXPECT_EQ(sheets[3].rows.size(), 1u);
    EXPECT_EQ(sheets[4].rows, (Rows{{u"序号", u"名单", u"列1", u"列2", u"列3"},
                                    {u"1", u"赵六 财务部", u"赵六", u"财务部", u""}}));
}

TEST(WinnersSheetsTest, PlainNamesAndPicturesHaveNoColumns) {
    const WinnerList winners{group(u"奖", {u"李四 ", u"a.b.jpg"})};
    for (const bool pictures : {false, true}) {
        const std::vector<SheetOut> sheets = winnersSheets(winners, entrantsNamed({u"x.png"}), pictures);
        // A picture's name is its file's: the space is part of it.
        const std::u16string first = pictures ? u"李四 " : u"李四";
        const std::u16string second = pictures ? u"a.b" : u"a.b.jpg";
        const std::u16string pooled = pictures ? u"x" : u"x.png";
        EXPECT_EQ(sheets[0].rows,
                  (Rows{{u"奖项", u"序号", u"名单"}, {u"奖", u"1", first}, {u"奖", u"2", second}}));
        EXPECT_EQ(sheets[2].rows, (Rows{{u"序号", u"名单"}, {u"1", pooled}}));
    }
}

// A sheet as a reader would give it: rows numbered from 1 (or as given), trailing empty cells dropped.
Sheet sheetOf(const Rows& rows, std::vector<int> numbers = {}) {
    Sheet sheet;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SheetRow row{i < numbers.size() ? numbers[i] : static_cast<int>(i) + 1, rows[i]};
        while (!row.cells.empty() && row.cells.back().empty())
            row.cells.pop_back();
        sheet.rows.push_back(row);
    }
    return sheet;
}

PrizeItem prize(std::u16string_view name, int quota, int perDraw, std::u16string_view picture = {}) {
    PrizeItem p;
    setField(p.name, name);
    std::tie(p.quota, p.perDraw, p.perLine, p.fontSize) = std::make_tuple(quota, perDraw, 3, 40);
    setField(p.prizeText, u"电视机");
    setField(p.imageFile, picture);
    return p;
}

std::tuple<int, int, int, int> numbers(const PrizeItem& p) {
    return {p.quota, p.perDraw, p.perLine, p.fontSize};
}

class PrizeSheetTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(PrizeSheetTest, WrittenTableReadsBackWithListsKeptByName) {
    writeBytes(dir.path() / "tv.jpg", {});
    PrizeList current{prize(u"Grand", 1, 1)};
    current[0].blackList = entrantsNamed({u"张三"});
    const PrizeList prizes{prize(u"grand", 5, 2, u"tv.jpg"), prize(u"二等奖", 30000, 50, u"无.jpg")};
    const std::vector<SheetOut> sheets = prizeSheets(prizes);
    EXPECT_EQ(u8(sheets[1].name), "说明");
    EXPECT_EQ(sheets[1].rows.size(), 8u); // its header and a row per column
    EXPECT_EQ(prizeSheets({})[0].rows.size(), 1u);

    const PrizeSheetRead read = readPrizeSheet(sheetOf(sheets[0].rows), current, dir.path());
    EXPECT_TRUE(read.problems.empty());
    ASSERT_EQ(read.prizes.size(), 2u);
    for (std::size_t i = 0; i < prizes.size(); ++i) {
        const PrizeItem &got = read.prizes[i], &want = prizes[i];
        EXPECT_EQ(u8(got.nameText()), u8(want.nameText()));
        EXPECT_EQ(numbers(got), numbers(want));
        EXPECT_EQ(fieldText(got.prizeText), fieldText(want.prizeText));
        EXPECT_EQ(fieldText(got.imageFile), fieldText(want.imageFile));
    }
    EXPECT_EQ(namesOf(read.prizes[0].blackList), namesOf(current[0].blackList));
    EXPECT_EQ(read.keptLists, 1);
    EXPECT_EQ(read.notes, (std::vector<std::u16string>{u"第3行: 奖品图不存在: 无.jpg"}));
}

TEST_F(PrizeSheetTest, FieldsAreClampedAsTheDialogClampsThem) {
    const PrizeSheetRead read =
        readPrizeSheet(sheetOf({{u" 奖 ", u"3", u"10", u"9", u"999"}, {u"空"}}), {}, dir.path());
    ASSERT_EQ(read.prizes.size(), 2u);
    EXPECT_EQ(u8(read.prizes[0].nameText()), "奖");
    EXPECT_EQ(numbers(read.prizes[0]), std::make_tuple(3, 3, 5, 125));
    EXPECT_EQ(numbers(read.prizes[1]), std::make_tuple(1, 1, 1, 16));
}

TEST_F(PrizeSheetTest, RefusedRowsAreNamedByTheirSheetRowAndGiveNoPrizes) {
    Rows many;
    for (int i = 0; i <= kMaxPrizes; ++i)
        many.push_back({u"P" + decimalText(i)});
    struct Case {
        Sheet sheet;
        std::vector<std::u16string> problems;
    } cases[] = {
        {sheetOf({{u"奖项", u"名额"}, {u"A"}, {u"", u"5"}, {u"a"}}, {1, 4, 5, 9}),
         {u"第5行: 请输入奖项名称", u"第9行: 此奖项已存在"}},
        {sheetOf({{u"全部奖项"}, {u"a/b"}}), {u"第1行: 不可命名为“全部奖项”", u"第2行: 奖项名含非法字符"}},
        {sheetOf({{u"奖项 "}}), {u"表格中没有奖项"}},
        {sheetOf({}), {u"表格中没有奖项"}},
        {sheetOf(many), {u"最多256个奖项"}},
    };
    for (const Case& c : cases) {
        const PrizeSheetRead read = readPrizeSheet(c.sheet, {}, dir.path());
        EXPECT_EQ(read.problems, c.problems) << (read.problems.empty() ? "" : u8(read.problems[0]));
        EXPECT_TRUE(read.prizes.empty());
    }
}

// The cells of every sheet, one line per row, as openpyxl reads them, followed by whether the header is bold
// and frozen; nothing when openpyxl is missing.
std::optional<std::string> cellsByOpenpyxl(const std::filesystem::path& file) {
    if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0)
        return std::nullopt;
    const std::string script = "import openpyxl,sys\n"
                               "wb=openpyxl.load_workbook(sys.argv[1])\n"
                               "for ws in wb:\n"
                               "  print('==',ws.title,ws.freeze_panes,ws['A1'].font.b)\n"
                               "  for r in ws.iter_rows(values_only=True):\n"
                               "    c=['' if v is None else v for v in r]\n"
                               "    while c and c[-1]=='': c.pop()\n"
                               "    print('|'.join(c))\n";
    FILE* pipe = ::popen(("/usr/bin/python3 -c \"" + script + "\" '" + file.string() + "'").c_str(), "r");
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    return ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

std::string expectedCells(const std::vector<SheetOut>& sheets) {
    std::string out;
    for (const SheetOut& sheet : sheets) {
        out += "== " + u8(sheet.name) + " A2 True\n";
        for (auto row : sheet.rows) {
            while (!row.empty() && row.back().empty())
                row.pop_back();
            for (std::size_t c = 0; c < row.size(); ++c)
                out += (c ? "|" : "") + u8(row[c]);
            out += "\n";
        }
    }
    return out;
}

class XlsxWriteTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path target = dir.path() / "中奖名单.xlsx";
    const Bytes oldBytes{std::byte{1}, std::byte{2}};
    WinnerList winners{group(u"一等奖", {u"张三 销售部", u"00123"}), group(u"二等奖", {u"李四"})};

    void SetUp() override { writeBytes(target, oldBytes); }
    std::vector<std::filesystem::path> entries() const {
        return {std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()};
    }
};

TEST_F(XlsxWriteTest, WorkbookReplacesTheTargetAndReadsBackCellForCell) {
    const EntrantPool pool = entrantsNamed({u"王五", u" 钱七 & <c> \"d\""});
    int lastDone = -1, lastTotal = -1;
    const XlsxWriteResult result = writeWinnersWorkbook(
        target, winners, pool, false, {}, [&](int done, int total) { lastDone = done, lastTotal = total; });
    ASSERT_TRUE(result.failure) << u8(messageText(result.failure));
    EXPECT_EQ(std::make_pair(lastDone, lastTotal), std::make_pair(12, 12));
    EXPECT_EQ(entries(), std::vector{target});
    const std::optional<std::string> cells = cellsByOpenpyxl(target);
    if (!cells)
        GTEST_SKIP() << "openpyxl is not available";
    EXPECT_EQ(*cells, expectedCells(winnersSheets(winners, pool, false)));
}

TEST_F(XlsxWriteTest, FailedOrCancelledWriteLeavesTheTargetAsItWas) {
    EntrantPool pool(2500, makeEntrant(u"某人"));
    const XlsxWriteResult cancelled = writeWinnersWorkbook(target, winners, pool, false, [] { return true; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.failure);
    EXPECT_EQ(entries(), std::vector{target});

    const XlsxWriteResult missing = writeWinnersWorkbook(dir.path() / "无" / "x.xlsx", winners, pool, false);
    EXPECT_EQ(std::tie(missing.failure.op, missing.failure.errnum, missing.failure.insideDataFolders),
              std::make_tuple(FileOp::Write, ENOENT, false));

    const std::filesystem::path folderTarget = dir.path() / "folder.xlsx";
    std::filesystem::create_directories(folderTarget / "inside");
    const XlsxWriteResult overFolder = writeWinnersWorkbook(folderTarget, winners, pool, false);
    EXPECT_EQ(overFolder.failure.step, FileStep::Rename);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());

    // A write that stops half-way, as on a full disk, is reported with the errno of the failed write.
    const ChildResult full = runInChild([&](const auto& report) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{20000, 20000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const XlsxWriteResult result = writeWinnersWorkbook(target, winners, pool, false);
        report(std::to_string(result.failure.errnum));
        return result.failure.op == FileOp::Write ? 0 : 1;
    });
    EXPECT_EQ(full.exitCode, 0);
    EXPECT_EQ(full.output, std::to_string(EFBIG));
    EXPECT_EQ(readBytes(target), oldBytes);
    EXPECT_EQ(entries().size(), 2u); // the target and the folder in the way

    openToEveryone(dir.path());
    ::chmod(dir.path().c_str(), 0555);
    const ChildResult child = runInChild(
        [&](const auto& report) {
            const XlsxWriteResult denied = writeWinnersWorkbook(target, winners, pool, false);
            report(std::to_string(denied.failure.errnum));
            return denied.failure.op == FileOp::Write ? 0 : 1;
        },
        true);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.output, std::to_string(EACCES));
    EXPECT_EQ(readBytes(target), oldBytes);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
}

} // namespace
} // namespace kelvora::test
