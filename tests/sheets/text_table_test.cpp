// The text-table reader on files as other programs save them (each encoding, with and without a byte order
// mark), on the quoting cases of RFC 4180 and its usual deviations, and on hostile files.

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <random>

#include "sheets/text_table.h"
#include "support/file_test_support.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using test::encodeText;
using test::u8;
using namespace std::string_literals;
using Rows = std::vector<std::vector<std::string>>;

void writeFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Rows rowsOf(const Workbook& book) {
    Rows rows;
    if (book.sheets.size() == 1)
        for (const SheetRow& row : book.sheets[0].rows) {
            rows.emplace_back();
            for (const std::u16string& cell : row.cells)
                rows.back().push_back(u8(cell));
        }
    return rows;
}

std::vector<int> numbersOf(const Workbook& book) {
    std::vector<int> numbers;
    for (const SheetRow& row : book.sheets.at(0).rows)
        numbers.push_back(row.number);
    return numbers;
}

constexpr std::string_view kSimplified = "姓名,部门\r\n张三,销售部\r\n李四,研发部\r\n欧阳娜娜,财务部\r\n";
const Rows kSimplifiedRows = {
    {"姓名", "部门"}, {"张三", "销售部"}, {"李四", "研发部"}, {"欧阳娜娜", "财务部"}};
// Traditional characters, as a Taiwanese Excel saves them in Big5.
constexpr std::string_view kTraditional =
    "姓名,縣市,單位\r\n陳怡君,臺北市,資訊處\r\n黃國維,高雄市,業務課\r\n鄭淑惠,新竹縣,會計組\r\n";
const Rows kTraditionalRows = {{"姓名", "縣市", "單位"},
                               {"陳怡君", "臺北市", "資訊處"},
                               {"黃國維", "高雄市", "業務課"},
                               {"鄭淑惠", "新竹縣", "會計組"}};

TEST(TextTableTest, ReadsEachEncodingWithAndWithoutByteOrderMark) {
    struct Case {
        const char* encoding;
        bool mark;
        bool traditional;
    };
    const Case cases[] = {{"UTF-8", false, false},   {"UTF-8", true, false},     {"UTF-8", false, true},
                          {"GB18030", false, false}, {"GB18030", false, true},   {"BIG5", false, true},
                          {"UTF-16LE", true, false}, {"UTF-16LE", false, false}, {"UTF-16BE", true, false},
                          {"UTF-16BE", false, true}};
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + (c.mark ? " with mark" : "") +
                     (c.traditional ? " traditional" : ""));
        const std::string text((c.mark ? "\uFEFF" : "") +
                               std::string(c.traditional ? kTraditional : kSimplified));
        const std::filesystem::path file = dir.path() / "名单.csv";
        writeFile(file, encodeText(text, c.encoding));
        const Workbook book = readTextTable(file);
        ASSERT_FALSE(book.failure);
        EXPECT_EQ(book.kind, SheetFileKind::Text);
        EXPECT_EQ(book.encoding, c.encoding);
        EXPECT_EQ(book.separator, u',');
        EXPECT_EQ(u8(book.sheets[0].name), "名单");
        EXPECT_EQ(rowsOf(book), c.traditional ? kTraditionalRows : kSimplifiedRows);
    }
}

TEST(TextTableTest, SplitsFieldsAndRecords) {
    struct Case {
        const char* name;
        std::string_view text;
        char16_t separator;
        Rows rows;
        std::vector<int> numbers;
    };
    const Case cases[] = {
        {"quoted separators", "a,\"b,c\",d\n1,2,3\n", u',', {{"a", "b,c", "d"}, {"1", "2", "3"}}, {1, 2}},
        {"doubled quotes", "\"他说\"\"好\"\"\",x\ny,z", u',', {{"他说\"好\"", "x"}, {"y", "z"}}, {1, 2}},
        {"line breaks and tabs in quotes",
         "\"第一行\r\n第二行\",\"a\tb\"\nc,d",
         u',',
         {{"第一行 第二行", "a b"}, {"c", "d"}},
         {1, 2}},
        {"empty fields and trailing separators",
         "a,,c,\n,,\n\n1,2,3,\n",
         u',',
         {{"a", "", "c"}, {"1", "2", "3"}},
         {1, 4}},
        {"CR line ends", "a,b\rc,d\r\re,f", u',', {{"a", "b"}, {"c", "d"}, {"e", "f"}}, {1, 2, 4}},
        {"LF line ends", "a,b\nc,d\n\ne,f\n", u',', {{"a", "b"}, {"c", "d"}, {"e", "f"}}, {1, 2, 4}},
        {"text after a closing quote", "\"ab\"cd,e\nf,g", u',', {{"abcd", "e"}, {"f", "g"}}, {1, 2}},
        {"a quote that never closes is text",
         "a,b\nc,\"d\ne,f\n",
         u',',
         {{"a", "b"}, {"c", "\"d"}, {"e", "f"}},
         {1, 2, 3}},
        {"semicolons with decimal commas",
         "名字;金额\n张三;1,5\n李四;2\n",
         u';',
         {{"名字", "金额"}, {"张三", "1,5"}, {"李四", "2"}},
         {1, 2, 3}},
        {"tabs", "a\tb\tc\n1\t2\t3\n", u'\t', {{"a", "b", "c"}, {"1", "2", "3"}}, {1, 2}},
        {"one column with a stray comma",
         "张三\n李四\nSmith, John\n王五\n",
         0,
         {{"张三"}, {"李四"}, {"Smith, John"}, {"王五"}},
         {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Workbook book = readTextTableBytes(c.text, u"t");
        ASSERT_FALSE(book.failure);
        EXPECT_EQ(book.separator, c.separator);
        EXPECT_EQ(rowsOf(book), c.rows);
        EXPECT_EQ(numbersOf(book), c.numbers);
    }
    const Workbook wide = readTextTableBytes(std::string(200, ',') + "x\na,b", u"t");
    EXPECT_EQ(wide.sheets.at(0).columnCount, 2); // the x lies past the last column read
}

TEST(TextTableTest, RefusesBinaryAndWorkbooks) {
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random() % 64 == 0 ? 0 : random());
    std::string controls = "a,b\n";
    for (int i = 0; i < 50; ++i)
        controls += "\x01\x02x,y\n";
    const std::pair<const char*, std::string> cases[] = {
        {"random bytes", noise},
        {"renamed xlsx", std::string("PK\3\4", 4) + "[Content_Types].xml"},
        {"renamed xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"},
        {"NUL in UTF-8", "姓名,部门\n张三\0,销售部\n"s},
        {"control characters", controls},
    };
    test::TempDir dir;
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        writeFile(dir.path() / "x.csv", bytes);
        const Workbook book = readTextTable(dir.path() / "x.csv");
        ASSERT_TRUE(book.failure);
        EXPECT_EQ(book.failure->fault, SheetFault::NotText);
        EXPECT_TRUE(book.sheets.empty());
    }
}

TEST(TextTableTest, BoundsLargeFiles) {
    const Workbook empty = readTextTableBytes(std::string(1'000'000, '\n'), u"t");
    ASSERT_FALSE(empty.failure);
    EXPECT_TRUE(empty.sheets.at(0).rows.empty());

    std::string lines = "\n";
    for (int i = 1; i <= 30002; ++i)
        lines += "名字" + std::to_string(i) + "\n";
    const Workbook many = readTextTableBytes(lines, u"t");
    ASSERT_EQ(many.sheets.at(0).rows.size(), 30001u);
    EXPECT_TRUE(many.sheets[0].truncated);
    EXPECT_EQ(many.sheets[0].rows.back().number, 30002);
    EXPECT_EQ(u8(many.sheets[0].rows.back().cells.at(0)), "名字30001");

    test::TempDir dir;
    const std::filesystem::path huge = dir.path() / "huge.csv";
    writeFile(huge, "a,b\n");
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kSheetMaxBytes + 1)), 0);
    const Workbook tooLarge = readTextTable(huge);
    ASSERT_TRUE(tooLarge.failure);
    EXPECT_EQ(tooLarge.failure->fault, SheetFault::TooLarge);
}

TEST(TextTableTest, ReportsUnreadableFilesAndReplacesBadBytes) {
    test::TempDir dir;
    const std::pair<std::filesystem::path, FileStep> unreadable[] = {
        {dir.path() / "missing.csv", FileStep::Open}, {dir.path(), FileStep::Transfer}};
    for (const auto& [file, step] : unreadable) {
        const Workbook book = readTextTable(file);
        ASSERT_TRUE(book.failure);
        EXPECT_EQ(book.failure->fault, SheetFault::Unreadable);
        EXPECT_EQ(book.failure->io.op, FileOp::Read);
        EXPECT_EQ(book.failure->io.step, step);
        EXPECT_EQ(book.failure->io.path, file);
        EXPECT_NE(book.failure->io.errnum, 0);
    }

    // One damaged byte and a sequence cut off by the end of the file among good UTF-8.
    const std::string damaged = std::string(kSimplified) + "王\xFF五,人事部\r\n赵六,\xE9\x83";
    const Workbook book = readTextTableBytes(damaged, u"t");
    ASSERT_FALSE(book.failure);
    EXPECT_EQ(book.encoding, "UTF-8");
    Rows expected = kSimplifiedRows;
    expected.push_back({"王\uFFFD五", "人事部"});
    expected.push_back({"赵六", "\uFFFD\uFFFD"});
    EXPECT_EQ(rowsOf(book), expected);

    // A lone surrogate in UTF-16: one unit is replaced and the units after it keep their alignment.
    const std::string surrogate =
        encodeText("\uFEFF张三,", "UTF-16LE") + "\x00\xD8"s + encodeText("销售部\n李四,研发部", "UTF-16LE");
    EXPECT_EQ(rowsOf(readTextTableBytes(surrogate, u"t")),
              (Rows{{"张三", "\uFFFD销售部"}, {"李四", "研发部"}}));

    // The operator's choice wins where no guess can: UTF-16 without a mark or a single ASCII character.
    const std::string bare = encodeText("张三、李四、王五", "UTF-16LE");
    EXPECT_NE(detectTextEncoding(bare), "UTF-16LE");
    const Workbook forced = readTextTableBytes(bare, u"t", {"utf-16le", std::nullopt});
    EXPECT_EQ(forced.encoding, "UTF-16LE");
    EXPECT_EQ(rowsOf(forced), (Rows{{"张三、李四、王五"}}));
}

} // namespace
} // namespace kelvora
