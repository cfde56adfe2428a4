// Reading a staff list of 30000 rows and four columns (name, department, a five-digit staff number stored as
// text, a phone number stored as a number) as the import reads it: an .xlsx with shared strings, as the
// spreadsheet saves one, and the same sheet as .ods. The files are built once, outside the timed loop.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/sheet_file.h"
#include "sheets/sheet_import.h"
#include "sheets/text_table.h"
#include "sheets/zip_workbook.h"

namespace kelvora {
namespace {

constexpr int kRows = 30000;

struct Person {
    std::string name, department, number, phone;
};

Person person(int i) {
    static constexpr std::array<const char*, 12> kSurnames{"王", "李", "张", "刘",   "陈",   "杨",
                                                           "黄", "赵", "吴", "欧阳", "司马", "周"};
    static constexpr std::array<const char*, 10> kGiven{"伟", "芳", "娜", "秀英", "敏",
                                                        "静", "丽", "强", "磊",   "军"};
    static constexpr std::array<const char*, 6> kDepartments{"销售部",   "市场部",     "财务部",
                                                             "研发中心", "人力资源部", "行政部"};
    char number[8];
    std::snprintf(number, sizeof number, "%05d", i + 1);
    return {std::string(kSurnames[i % 12]) + kGiven[i / 12 % 10] + kGiven[i / 120 % 10], kDepartments[i % 6],
            number, std::to_string(13800000000LL + i * 7919LL)};
}

std::string zipped(const std::vector<std::pair<QString, std::string>>& parts) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto& part : parts) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first));
        file.write(part.second.data(), static_cast<qint64>(part.second.size()));
        file.close();
    }
    zip.close();
    return bytes.toStdString();
}

std::string xlsxOf(const std::string& strings, const std::string& sheet);

std::string staffXlsx() {
    std::unordered_map<std::string, int> index;
    std::string strings, sheet = "<sheetData>";
    auto shared = [&](const std::string& text) {
        const auto [it, added] = index.emplace(text, static_cast<int>(index.size()));
        if (added)
            strings += "<si><t>" + text + "</t></si>";
        return std::to_string(it->second);
    };
    for (int r = 0; r <= kRows; ++r) {
        const Person p = r == 0 ? Person{"姓名", "部门", "工号", "电话"} : person(r - 1);
        const std::string n = std::to_string(r + 1);
        sheet += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + shared(p.name) +
                 "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" + shared(p.department) + "</v></c><c r=\"C" + n +
                 "\" t=\"s\"><v>" + shared(p.number) + "</v></c>" +
                 (r == 0 ? "<c r=\"D1\" t=\"s\"><v>" + shared(p.phone) + "</v></c>"
                         : "<c r=\"D" + n + "\"><v>" + p.phone + "</v></c>") +
                 "</row>";
    }
    return xlsxOf(strings, sheet);
}

// A one-sheet workbook from its shared strings and its sheetData (without the closing tag).
// The parts of a one-sheet workbook but for the sheet itself.
std::vector<std::pair<QString, std::string>> xlsxParts(const std::string& strings) {
    const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    return {{"xl/workbook.xml",
             "<workbook " + ns + " xmlns:r=\"" + rel +
                 "\"><sheets><sheet name=\"名单\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId1\" Type=\"" +
                 rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
                 rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
            {"xl/sharedStrings.xml", "<sst " + ns + ">" + strings + "</sst>"}};
}

std::string xlsxOf(const std::string& strings, const std::string& sheet) {
    std::vector<std::pair<QString, std::string>> parts = xlsxParts(strings);
    parts.emplace_back("xl/worksheets/sheet1.xml",
                       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                           sheet + "</sheetData></worksheet>");
    return zipped(parts);
}

std::string staffOds() {
    auto cell = [](const std::string& text) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + text +
               "</text:p></table:table-cell>";
    };
    std::string rows;
    for (int r = 0; r <= kRows; ++r) {
        const Person p = r == 0 ? Person{"姓名", "部门", "工号", "电话"} : person(r - 1);
        rows += "<table:table-row>" + cell(p.name) + cell(p.department) + cell(p.number) +
                (r == 0 ? cell(p.phone)
                        : "<table:table-cell office:value-type=\"float\" office:value=\"" + p.phone +
                              "\"><text:p>" + p.phone + "</text:p></table:table-cell>") +
                "</table:table-row>";
    }
    return zipped(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
         {"content.xml", "<office:document-content "
                         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                         "<office:spreadsheet><table:table table:name=\"名单\">" +
                             rows +
                             "</table:table></office:spreadsheet></office:body></office:document-content>"}});
}

// The two files in a folder of their own, removed when the program ends.
struct StaffFiles {
    std::filesystem::path folder, xlsx, ods;
    StaffFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        xlsx = folder / "名单.xlsx";
        ods = folder / "名单.ods";
        std::ofstream(xlsx, std::ios::binary) << staffXlsx();
        std::ofstream(ods, std::ios::binary) << staffOds();
    }
    ~StaffFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const StaffFiles& staffFiles() {
    static const StaffFiles files;
    return files;
}

void readStaff(benchmark::State& state, const std::filesystem::path& file, SheetFileKind kind) {
    for (auto _ : state) {
        const Workbook book = readZipWorkbook(file, kind);
        if (book.failure || book.sheets[0].rows.size() != kRows + 1 || book.sheets[0].columnCount != 4)
            state.SkipWithError("the staff list did not read back");
        benchmark::DoNotOptimize(book);
    }
}

void BM_ReadXlsx30000x4(benchmark::State& state) {
    readStaff(state, staffFiles().xlsx, SheetFileKind::Xlsx);
}
void BM_ReadOds30000x4(benchmark::State& state) {
    readStaff(state, staffFiles().ods, SheetFileKind::Ods);
}

// All the way to the import dialog's text: read, the header row left out, every column joined by tabs.
void BM_XlsxToImportText30000x4(benchmark::State& state) {
    for (auto _ : state) {
        const Workbook book = readSheetFile(staffFiles().xlsx);
        const SheetImportText text = sheetImportText(book.sheets.at(0), {{}, true});
        if (text.rows != kRows)
            state.SkipWithError("the staff list did not reach the text");
        benchmark::DoNotOptimize(text);
    }
}

// Hostile files must be refused or read empty at once, whatever they declare.
void BM_HostileMillionEmptyRowsXlsx(benchmark::State& state) {
    std::string sheet = "<sheetData>";
    for (int i = 1; i <= 1'000'000; ++i)
        sheet += "<row r=\"" + std::to_string(i) + "\"/>";
    const std::string file = xlsxOf("", sheet);
    for (auto _ : state) {
        const Workbook book = readZipWorkbookBytes(file, SheetFileKind::Xlsx);
        if (book.failure || !book.sheets.at(0).rows.empty())
            state.SkipWithError("a million empty rows did not read empty");
    }
}

void BM_HostileMillionEmptyLinesCsv(benchmark::State& state) {
    const std::string file(1'000'000, '\n');
    for (auto _ : state) {
        const Workbook book = readTextTableBytes(file, u"空");
        if (book.failure || !book.sheets.at(0).rows.empty())
            state.SkipWithError("a million empty lines did not read empty");
    }
}

// 200 MB of zeros in one entry, deflated to about 200 KB.
void BM_HostileZipBomb(benchmark::State& state) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        QuaZip zip(&buffer);
        zip.open(QuaZip::mdCreate);
        QuaZipFile sheet(&zip);
        sheet.open(QIODevice::WriteOnly, QuaZipNewInfo("xl/worksheets/sheet1.xml"), nullptr, 0, Z_DEFLATED,
                   1);
        const QByteArray zeros(1 << 20, '\0');
        for (int i = 0; i < 200; ++i)
            sheet.write(zeros);
        sheet.close();
        for (const auto& part : xlsxParts("")) {
            QuaZipFile file(&zip);
            file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first));
            file.write(part.second.data(), static_cast<qint64>(part.second.size()));
            file.close();
        }
        zip.close();
    }
    const std::string file = bytes.toStdString();
    for (auto _ : state) {
        const Workbook book = readZipWorkbookBytes(file, SheetFileKind::Xlsx);
        if (!book.failure || book.failure->fault != SheetFault::TooLarge)
            state.SkipWithError("the zip bomb was not refused as too large");
    }
}

BENCHMARK(BM_ReadXlsx30000x4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOds30000x4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XlsxToImportText30000x4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileMillionEmptyRowsXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileMillionEmptyLinesCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileZipBomb)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvora
