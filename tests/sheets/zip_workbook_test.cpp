// The .xlsx and .ods readers on workbooks zipped here from XML, on files other programs wrote (openpyxl, and
// LibreOffice when it is installed) and on hostile archives, each of which must fail fast with its own fault.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <cerrno>
#include <fstream>
#include <memory>

#include "sheets/sheet_file.h"
#include "sheets/xlsx_writer.h"
#include "sheets/zip_workbook.h"
#include "support/test_support.h"

namespace kelvora {
namespace {

using test::u8;
using Rows = std::vector<std::pair<int, std::vector<std::string>>>;
using Parts = std::vector<std::pair<QString, QByteArray>>;

#define MAIN_NS "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
#define REL_NS "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

// level 0 stores the text as it is, so that a test can find it in the archive and spoil it.
std::string zipped(const Parts& parts, int level = Z_DEFAULT_COMPRESSION) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    EXPECT_TRUE(zip.open(QuaZip::mdCreate));
    for (const auto& part : parts) {
        QuaZipFile file(&zip);
        EXPECT_TRUE(
            file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first), nullptr, 0, Z_DEFLATED, level));
        file.write(part.second);
        file.close();
    }
    zip.close();
    return bytes.toStdString();
}

// A workbook of {sheet name, worksheet body} with shared strings (<si> items) and styles (<numFmts>,
// <cellXfs>); a sheet whose body is empty has no part.
Parts xlsxParts(const std::vector<std::pair<std::string, std::string>>& sheets,
                const std::string& strings = "", const std::string& styles = "",
                const std::string& workbookPr = "") {
    std::string book = "<workbook xmlns=\"" MAIN_NS "\" xmlns:r=\"" REL_NS "\">" + workbookPr + "<sheets>";
    std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"s\" Type=\"" REL_NS "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"t\" Type=\"" REL_NS "/styles\" Target=\"/xl/styles.xml\"/>";
    Parts parts;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        book += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" REL_NS "/worksheet\" Target=\"worksheets/sheet" +
                n + ".xml\"/>";
        if (!sheets[i].second.empty())
            parts.push_back({QString::fromStdString("xl/worksheets/sheet" + n + ".xml"),
                             QByteArray::fromStdString("<worksheet xmlns=\"" MAIN_NS "\">" +
                                                       sheets[i].second + "</worksheet>")});
    }
    parts.push_back({"xl/workbook.xml", QByteArray::fromStdString(book + "</sheets></workbook>")});
    parts.push_back({"xl/_rels/workbook.xml.rels", QByteArray::fromStdString(rels + "</Relationships>")});
    parts.push_back({"xl/sharedStrings.xml",
                     QByteArray::fromStdString("<sst xmlns=\"" MAIN_NS "\">" + strings + "</sst>")});
    parts.push_back({"xl/styles.xml", QByteArray::fromStdString("<styleSheet xmlns=\"" MAIN_NS "\">" +
                                                                styles + "</styleSheet>")});
    return parts;
}

std::string xlsx(const std::vector<std::pair<std::string, std::string>>& sheets,
                 const std::string& strings = "", const std::string& styles = "",
                 const std::string& workbookPr = "") {
    return zipped(xlsxParts(sheets, strings, styles, workbookPr));
}

std::string ods(const std::string& tables) {
    return zipped(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml", QByteArray::fromStdString(
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                             "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                             "<office:spreadsheet>" +
                             tables + "</office:spreadsheet></office:body></office:document-content>")}});
}

Rows rowsOf(const Sheet& sheet) {
    Rows rows;
    for (const SheetRow& row : sheet.rows) {
        rows.push_back({row.number, {}});
        for (const std::u16string& cell : row.cells)
            rows.back().second.push_back(u8(cell));
    }
    return rows;
}

TEST(ZipWorkbookXlsx, EachCellShowsWhatTheSheetShows) {
    const std::string strings = "<si><t>张三</t></si><si><r><t>销售</t></r><r><rPr><b/></rPr><t>部</t></r>"
                                "<rPh><t>ぶ</t></rPh></si><si><t>a\tb&#10;c_x000D__x000A_d</t></si>";
    const std::string styles =
        "<numFmts><numFmt numFmtId=\"164\" formatCode=\"00000\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
        "<numFmt numFmtId=\"166\" formatCode=\"yyyy\\-mm\\-dd hh:mm:ss;@\"/>"
        "<numFmt numFmtId=\"167\" formatCode=\"[$¥-804]#,##0.00;[Red]\\-[$¥-804]#,##0.00\"/>"
        "<numFmt numFmtId=\"168\" formatCode=\"m月d日 aaaa\"/></numFmts>"
        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"2\"/><xf numFmtId=\"14\"/>"
        "<xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"10\"/><xf numFmtId=\"167\"/>"
        "<xf numFmtId=\"20\"/><xf numFmtId=\"49\"/><xf numFmtId=\"1\"/><xf numFmtId=\"168\"/></cellXfs>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(<c t="s"><v>0</v></c>)", "张三"},
        {R"(<c t="s"><v>1</v></c>)", "销售部"},  // runs joined, the phonetic guide left out
        {R"(<c t="s"><v>2</v></c>)", "a b c d"}, // tab, line feed, escaped CR LF
        {R"(<c t="inlineStr"><is><t>00123</t></is></c>)", "00123"},
        {R"(<c t="str"><f>A1</f><v>公式</v></c>)", "公式"},
        {R"(<c t="b"><v>1</v></c>)", "TRUE"},
        {R"(<c t="e"><v>#N/A</v></c>)", "#N/A"},
        {R"(<c><v>123.0</v></c>)", "123"},
        {R"(<c><v>0.30000000000000004</v></c>)", "0.3"},
        {R"(<c><v>13800138000</v></c>)", "13800138000"},
        {R"(<c><v>-1.5E-3</v></c>)", "-0.0015"},
        {R"(<c s="1"><v>123</v></c>)", "00123"},
        {R"(<c s="2"><v>3.14159</v></c>)", "3.14"},
        {R"(<c s="3"><v>45296</v></c>)", "2024/1/5"},
        {R"(<c s="3"><v>60</v></c>)", "1900/2/29"},
        {R"(<c s="3"><v>61</v></c>)", "1900/3/1"},
        {R"(<c s="4"><v>45296</v></c>)", "2024年1月5日"},
        {R"(<c s="5"><v>45296.5208449074</v></c>)", "2024-01-05 12:30:01"},
        {R"(<c s="6"><v>0.125</v></c>)", "12.50%"},
        {R"(<c s="7"><v>-1234.5</v></c>)", "-¥1,234.50"},
        {R"(<c s="8"><v>0.75</v></c>)", "18:00"},
        {R"(<c s="9"><v>42</v></c>)", "42"},
        {R"(<c s="10"><v>2.5</v></c>)", "3"}, // rounded half away from zero, as the sheet shows it
        {R"(<c s="11"><v>45296</v></c>)", "1月5日 星期五"},
        {R"(<c s="99"><v>7</v></c>)", "7"}, // no such style: General
    };
    std::string body = "<sheetData>";
    for (const auto& c : cases)
        body += "<row>" + c.first + "</row>";
    const Workbook book =
        readZipWorkbookBytes(xlsx({{"名单", body + "</sheetData>"}}, strings, styles), SheetFileKind::Xlsx);
    ASSERT_FALSE(book.failure);
    ASSERT_EQ(book.sheets.at(0).rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(u8(book.sheets[0].rows[i].cells.at(0)), cases[i].second) << cases[i].first;
}

TEST(ZipWorkbookXlsx, SheetsRowsAndMergedAreas) {
    const std::string first = R"(<sheetData>
        <row r="2"><c r="A2" t="inlineStr"><is><t>合并</t></is></c><c r="D2" t="inlineStr"><is><t>x</t></is></c>
          <c r="E2"/></row>
        <row r="3"><c r="C3"><v>1</v></c></row><row r="4"/><row r="5" spans="1:4" s="2"/>
        <row><c t="inlineStr"><is><t>六</t></is></c><c r="BM6"><v>65</v></c></row></sheetData>
        <mergeCells count="1"><mergeCell ref="A2:B4"/></mergeCells>)";
    const std::string third = R"(<sheetData><row r="1"><c s="1"><v>0</v></c></row></sheetData>)";
    const Workbook book = readZipWorkbookBytes(
        xlsx({{"名单", first}, {"空", "<sheetData/>"}, {"1904", third}}, "",
             R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/></cellXfs>)", R"(<workbookPr date1904="1"/>)"),
        SheetFileKind::Xlsx);
    ASSERT_FALSE(book.failure);
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(u8(book.sheets[0].name), "名单");
    EXPECT_EQ(
        rowsOf(book.sheets[0]),
        (Rows{
            {2, {"合并", "合并", "", "x"}}, {3, {"合并", "合并", "1"}}, {4, {"合并", "合并"}}, {6, {"六"}}}));
    EXPECT_EQ(book.sheets[0].columnCount, 4);
    EXPECT_TRUE(book.sheets[1].rows.empty());
    EXPECT_EQ(rowsOf(book.sheets[2]), (Rows{{1, {"1904/1/1"}}}));
}

TEST(ZipWorkbookXlsx, ASheetStopsAfterTheRowLimit) {
    std::string body = "<sheetData>";
    for (int i = 0; i < kSheetMaxRows + 5; ++i)
        body += "<row><c t=\"inlineStr\"><is><t>名" + std::to_string(i) + "</t></is></c></row>";
    const Workbook book = readZipWorkbookBytes(xlsx({{"长", body + "</sheetData>"}}), SheetFileKind::Xlsx);
    ASSERT_FALSE(book.failure);
    EXPECT_TRUE(book.sheets[0].truncated);
    ASSERT_EQ(book.sheets[0].rows.size(), static_cast<std::size_t>(kSheetMaxRows));
    EXPECT_EQ(u8(book.sheets[0].rows.back().cells[0]), "名" + std::to_string(kSheetMaxRows - 1));
}

TEST(ZipWorkbookOds, ParagraphsRepeatsAndSpannedCells) {
    const Workbook book = readZipWorkbookBytes(ods(R"(<table:table table:name="名单">
        <table:table-column table:number-columns-repeated="1024"/>
        <table:table-row><table:table-cell><text:p>张<text:s text:c="2"/>三</text:p><text:p>第二段</text:p>
          <office:annotation><text:p>批注</text:p></office:annotation></table:table-cell>
          <table:table-cell table:number-columns-repeated="2"/>
          <table:table-cell office:value-type="float" office:value="123"><text:p>00123</text:p></table:table-cell>
          <table:table-cell table:number-columns-repeated="16000"/></table:table-row>
        <table:table-row><table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="2">
          <text:p><text:span>合</text:span><text:a>并</text:a></text:p></table:table-cell><table:covered-table-cell/>
          <table:table-cell><text:p>x</text:p></table:table-cell></table:table-row>
        <table:table-row><table:covered-table-cell table:number-columns-repeated="2"><text:p>藏</text:p>
          </table:covered-table-cell><table:table-cell office:value-type="float" office:value="5.0"/></table:table-row>
        <table:table-row table:number-rows-repeated="1048000"><table:table-cell table:number-columns-repeated="1024"/>
          </table:table-row>
        <table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="70">
          <text:p>重复<text:tab/>行<text:line-break/>尾</text:p></table:table-cell></table:table-row>
        </table:table><table:table table:name="二"><table:table-row-group><table:table-row><table:table-cell>
          <text:p>在组里</text:p></table:table-cell></table:table-row></table:table-row-group></table:table>)"),
                                               SheetFileKind::Ods);
    ASSERT_FALSE(book.failure);
    ASSERT_EQ(book.sheets.size(), 2u);
    const std::vector<std::string> repeated(static_cast<std::size_t>(kSheetMaxColumns), "重复 行 尾");
    EXPECT_EQ(rowsOf(book.sheets[0]), (Rows{{1, {"张  三 第二段", "", "", "00123"}},
                                            {2, {"合并", "合并", "x"}},
                                            {3, {"合并", "合并", "5"}},
                                            {1048004, repeated},
                                            {1048005, repeated}}));
    EXPECT_EQ(book.sheets[0].columnCount, kSheetMaxColumns);
    EXPECT_EQ(rowsOf(book.sheets[1]), (Rows{{1, {"在组里"}}}));
}

// A million declared empty rows cost nothing: no row is kept (bench/sheets times them).
TEST(ZipWorkbookHostile, MillionsOfEmptyRowsReadFast) {
    std::string body = "<sheetData>";
    for (int i = 1; i <= 1'000'000; ++i)
        body += "<row r=\"" + std::to_string(i) + "\"/>";
    const std::string files[] = {
        xlsx({{"空", body + "</sheetData>"}}),
        ods(R"(<table:table table:name="空"><table:table-row table:number-rows-repeated="1048576">
               <table:table-cell table:number-columns-repeated="16384"/></table:table-row></table:table>)")};
    for (const std::string& file : files) {
        const Workbook book =
            readZipWorkbookBytes(file, &file == files ? SheetFileKind::Xlsx : SheetFileKind::Ods);
        ASSERT_FALSE(book.failure);
        EXPECT_TRUE(book.sheets.at(0).rows.empty());
    }
}

TEST(ZipWorkbookHostile, EachBadFileFailsWithItsFault) {
    const std::string good =
        xlsx({{"表", R"(<sheetData><row><c t="s"><v>0</v></c></row></sheetData>)"}}, "<si><t>甲</t></si>");
    Parts spoiled = xlsxParts(
        {{"表", R"(<sheetData><row><c t="inlineStr"><is><t>MARKER</t></is></c></row></sheetData>)"}});
    std::string badChecksum = zipped(spoiled, 0);
    badChecksum[badChecksum.find("MARKER")] = 'N';
    // Each entity ten of the one before: a billion "lol"s if anything expanded them.
    std::string laughs = "<!DOCTYPE sst [<!ENTITY a \"lol\">";
    for (char c = 'b'; c <= 'j'; ++c) {
        laughs += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += std::string("&") + static_cast<char>(c - 1) + ";";
        laughs += "\">";
    }
    Parts expanding = xlsxParts({{"表", R"(<sheetData><row><c t="s"><v>0</v></c></row></sheetData>)"}});
    for (auto& part : expanding)
        if (part.first == "xl/sharedStrings.xml")
            part.second =
                QByteArray::fromStdString(laughs + "]><sst xmlns=\"" MAIN_NS "\"><si><t>&j;</t></si></sst>");
    struct Case {
        const char* what;
        std::string bytes;
        SheetFileKind kind;
        SheetFault fault;
    };
    const Case cases[] = {
        {"half an xlsx", good.substr(0, good.size() / 2), SheetFileKind::Xlsx, SheetFault::Damaged},
        {"binary bytes", std::string(4096, '\x9c'), SheetFileKind::Xlsx, SheetFault::NotWorkbook},
        {"empty file", "", SheetFileKind::Ods, SheetFault::NotWorkbook},
        {"OLE file", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0'), SheetFileKind::Xlsx,
         SheetFault::OldFormat},
        {"zip of something else", zipped({{"readme.txt", "hello"}}), SheetFileKind::Xlsx,
         SheetFault::NotWorkbook},
        {"xlsx read as ods", good, SheetFileKind::Ods, SheetFault::NotWorkbook},
        {"text document",
         zipped({{"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:"
                                 "opendocument:xmlns:office:1.0\"><office:body><office:text/>"
                                 "</office:body></office:document-content>"}}),
         SheetFileKind::Ods, SheetFault::NotWorkbook},
        {"bad checksum", badChecksum, SheetFileKind::Xlsx, SheetFault::Damaged},
        {"entity expansion", zipped(expanding), SheetFileKind::Xlsx, SheetFault::Damaged},
        {"broken XML", xlsx({{"表", "<sheetData><row><c><v>1</c></row></sheetData>"}}), SheetFileKind::Xlsx,
         SheetFault::Damaged},
        {"shared string out of range",
         xlsx({{"表", R"(<sheetData><row><c t="s"><v>7</v></c></row></sheetData>)"}}, "<si><t>甲</t></si>"),
         SheetFileKind::Xlsx, SheetFault::Damaged},
        {"sheet part missing", xlsx({{"表", ""}}), SheetFileKind::Xlsx, SheetFault::Damaged},
        {"no sheet", xlsx({}), SheetFileKind::Xlsx, SheetFault::NoSheet},
    };
    for (const Case& c : cases) {
        const Workbook book = readZipWorkbookBytes(c.bytes, c.kind);
        ASSERT_TRUE(book.failure) << c.what;
        EXPECT_EQ(book.failure->fault, c.fault) << c.what;
        EXPECT_TRUE(book.sheets.empty()) << c.what;
    }
}

TEST(ZipWorkbookHostile, FilesThatCannotBeOpenedOrAreTooLarge) {
    test::TempDir dir;
    const Workbook missing = readZipWorkbook(dir.path() / "无.xlsx", SheetFileKind::Xlsx);
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->fault, SheetFault::Unreadable);
    EXPECT_EQ(missing.failure->io.op, FileOp::Read);
    EXPECT_EQ(missing.failure->io.errnum, ENOENT);
    EXPECT_EQ(missing.failure->io.path, dir.path() / "无.xlsx");
    const Workbook folder = readZipWorkbook(dir.path(), SheetFileKind::Ods);
    ASSERT_TRUE(folder.failure);
    EXPECT_EQ(folder.failure->io.errnum, EISDIR);
    std::ofstream(dir.path() / "大.xlsx") << "PK";
    std::filesystem::resize_file(dir.path() / "大.xlsx", kSheetMaxBytes + 1); // sparse: costs no disk
    const Workbook large = readZipWorkbook(dir.path() / "大.xlsx", SheetFileKind::Xlsx);
    ASSERT_TRUE(large.failure);
    EXPECT_EQ(large.failure->fault, SheetFault::TooLarge);
}

// Archives that unpack to more than the readers accept, built once per run: a sheet of 200 MB of zeros (about
// 200 KB packed), and 2 MB of shared strings with a sheet of 99 MB, each under the limit alone. Both are
// refused before the sheet is inflated.
class ZipWorkbookBomb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<test::TempDir>();
        writeZeroSheet("bomb.xlsx", xlsxParts({{"表", ""}}), 200);
        const std::string comment = "<!--" + std::string(2 << 20, 'x') + "-->";
        writeZeroSheet("together.xlsx", xlsxParts({{"表", ""}}, comment), 99);
    }
    static void TearDownTestSuite() { dir.reset(); }

    static void writeZeroSheet(const char* name, const Parts& parts, int megabytes) {
        QuaZip zip(QString::fromStdString((dir->path() / name).string()));
        ASSERT_TRUE(zip.open(QuaZip::mdCreate));
        const QByteArray zeros(1 << 20, '\0');
        QuaZipFile sheet(&zip);
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly, QuaZipNewInfo("xl/worksheets/sheet1.xml"), nullptr, 0,
                               Z_DEFLATED, 1));
        for (int i = 0; i < megabytes; ++i)
            sheet.write(zeros);
        sheet.close();
        for (const auto& part : parts) {
            QuaZipFile file(&zip);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first)));
            file.write(part.second);
        }
    }

    static std::unique_ptr<test::TempDir> dir;
};
std::unique_ptr<test::TempDir> ZipWorkbookBomb::dir;

TEST_F(ZipWorkbookBomb, UnpackingPastTheLimitStopsAtOnce) {
    for (const char* name : {"bomb.xlsx", "together.xlsx"}) {
        const Workbook book = readZipWorkbook(dir->path() / name, SheetFileKind::Xlsx);
        ASSERT_TRUE(book.failure) << name;
        EXPECT_EQ(book.failure->fault, SheetFault::TooLarge) << name;
    }
}

bool runs(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

TEST(ZipWorkbookOtherTools, OpenpyxlWorkbookReadsBack) {
    if (!runs("/usr/bin/python3", {"-c", "import openpyxl"}))
        GTEST_SKIP() << "/usr/bin/python3 cannot import openpyxl (Debian package python3-openpyxl)";
    test::TempDir dir;
    const std::filesystem::path file = dir.path() / "名单.xlsx";
    ASSERT_TRUE(runs("/usr/bin/python3", {"-c", R"(
import datetime, sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "员工"
sheet.append(["姓名", "工号", "数量", "入职"])
sheet.append(["张三", "00123", 123.0, datetime.date(2024, 1, 5)])
sheet.merge_cells("A3:B3")
sheet["A3"] = "合并单元"
book.create_sheet("第二页")["B2"] = "李四"
book.save(sys.argv[1])
)",
                                          QString::fromStdString(file.string())}));
    const Workbook book = readZipWorkbook(file, SheetFileKind::Xlsx);
    ASSERT_FALSE(book.failure);
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(u8(book.sheets[0].name), "员工");
    EXPECT_EQ(rowsOf(book.sheets[0]), (Rows{{1, {"姓名", "工号", "数量", "入职"}},
                                            {2, {"张三", "00123", "123", "2024-01-05"}},
                                            {3, {"合并单元", "合并单元"}}}));
    EXPECT_EQ(u8(book.sheets[1].name), "第二页");
    EXPECT_EQ(rowsOf(book.sheets[1]), (Rows{{2, {"", "李四"}}}));
}

// LibreOffice opens our own workbook and saves it as .xlsx, .ods and .csv: each of its files reads as ours.
TEST(ZipWorkbookOtherTools, LibreOfficeCopiesReadLikeTheOriginal) {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    test::TempDir dir;
    const std::filesystem::path ours = dir.path() / "ours.xlsx";
    const std::vector<SheetOut> sheets{
        {u"名单",
         {{u"姓名", u"工号", u"手机"}, {u"张三", u"00123", u"13800138000"}, {u"欧阳, 娜娜", u"", u"1"}}}};
    ASSERT_TRUE(writeXlsx(ours, sheets).failure);
    const Rows expected{
        {1, {"姓名", "工号", "手机"}}, {2, {"张三", "00123", "13800138000"}}, {3, {"欧阳, 娜娜", "", "1"}}};
    // A profile of its own, so that no other LibreOffice of this user is asked to do the work.
    const QString profile = QStringLiteral("-env:UserInstallation=file://") +
                            QString::fromStdString(dir.path().string()) + "/profile";
    for (const char* format : {"xlsx", "ods", "csv"}) {
        const std::filesystem::path outdir = dir.path() / format;
        // Without a filter its CSV is in the locale's encoding, which here may not hold Chinese: 76 is UTF-8.
        const QString to = std::string_view(format) == "csv"
                               ? QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1")
                               : QString::fromLatin1(format);
        ASSERT_TRUE(
            runs(soffice, {profile, "--headless", "--convert-to", to, "--outdir",
                           QString::fromStdString(outdir.string()), QString::fromStdString(ours.string())}))
            << format;
        const std::filesystem::path copy = outdir / (std::string("ours.") + format);
        const Workbook book = readSheetFile(copy);
        ASSERT_FALSE(book.failure) << format << ": " << u8(sheetFailureText(*book.failure, copy));
        ASSERT_FALSE(book.sheets.empty()) << format;
        EXPECT_EQ(rowsOf(book.sheets[0]), expected) << format;
    }
}

} // namespace
} // namespace kelvora
