// The one .xlsx writer. The parts of a workbook of plain text are few and fixed, so they are written here and
// zipped with QuaZip, the zip library the readers use. libxlsxwriter cannot share a process with QuaZip: both
// export minizip's functions under the same names with different layouts, and its workbook_close ends up in
// QuaZip's zipOpen and crashes. It also reports success when its own temporary files could not be written.
//
// The zip goes through ZipOutputFile, which keeps the errno of the first failed write, so a full disk is
// reported as such; the file takes the target's name only once it is on the disk.

#include "sheets/xlsx_writer.h"

#include <QIODevice>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/text.h"
#include "sheets/zip_output_file.h"

namespace kelvora {

namespace {

constexpr std::size_t kSheetNameUnits = 31;
constexpr double kMinColumnWidth = 6;
constexpr double kMaxColumnWidth = 60;
// Rows between two progress reports and cancel checks: often enough for a prompt cancel, rarely enough to
// cost nothing.
constexpr int kRowsPerReport = 1000;
// What an Excel cell holds at most.
constexpr std::size_t kMaxCellUnits = 32767;
constexpr std::size_t kFlushBytes = 256 * 1024;

constexpr char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMainNs[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kPackageRelNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kTypePrefix[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isWide(char16_t unit) {
    return (unit >= 0x1100 && unit <= 0x115F) || (unit >= 0x2E80 && unit <= 0xA4CF) ||
           (unit >= 0xAC00 && unit <= 0xD7A3) || (unit >= 0xF900 && unit <= 0xFAFF) ||
           (unit >= 0xFE30 && unit <= 0xFE4F) || (unit >= 0xFF00 && unit <= 0xFF60) ||
           (unit >= 0xFFE0 && unit <= 0xFFE6);
}

// Control characters cannot stand in a sheet name's XML; the rest are the ones Excel refuses.
bool isIllegalInSheetName(char16_t unit) {
    return unit < 0x20 || std::u16string_view(u"[]:*?/\\").find(unit) != std::u16string_view::npos;
}

// The first units of text, one less when the cut would split a surrogate pair.
std::u16string cutUnits(std::u16string_view text, std::size_t units) {
    if (text.size() > units)
        text = text.substr(0, units > 0 && isHighSurrogate(text[units - 1]) ? units - 1 : units);
    return std::u16string(text);
}

// Excel keeps "History" for itself and refuses a sheet of that name.
bool nameTaken(std::u16string_view name, const std::vector<std::u16string>& taken) {
    return equalsIgnoreCase(name, u"History") ||
           std::any_of(taken.begin(), taken.end(),
                       [&](const std::u16string& other) { return equalsIgnoreCase(name, other); });
}

bool isHexDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'F') || (unit >= u'a' && unit <= u'f');
}

// Excel reads "_xHHHH_" in a cell's text as the character HHHH.
bool startsEscape(std::u16string_view text, std::size_t at) {
    return at + 7 <= text.size() && text[at + 1] == u'x' &&
           std::all_of(text.begin() + at + 2, text.begin() + at + 6, isHexDigit) && text[at + 6] == u'_';
}

// XML text in UTF-8. In a cell (escapeCells), what XML cannot carry becomes Excel's "_xHHHH_", and an
// underscore that would start such an escape is escaped itself, so that the cell reads back as written.
void appendXml(std::string& out, std::u16string_view text, bool escapeCells) {
    std::u16string plain;
    plain.reserve(text.size());
    auto code = [&](char16_t unit) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        plain += u"_x";
        for (int shift = 12; shift >= 0; shift -= 4)
            plain += char16_t(kHex[(unit >> shift) & 0xF]);
        plain += u'_';
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const std::u16string_view entity = unit == u'&'   ? u"&amp;"
                                           : unit == u'<' ? u"&lt;"
                                           : unit == u'>' ? u"&gt;"
                                           : unit == u'"' ? u"&quot;"
                                                          : u"";
        if (!entity.empty())
            plain += entity;
        else if (escapeCells && ((unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r') ||
                                 unit == 0xFFFE || unit == 0xFFFF || (unit == u'_' && startsEscape(text, i))))
            code(unit);
        else
            plain += unit; // toUtf8 turns a lone surrogate into U+FFFD
    }
    out += toUtf8(plain);
}

// One cell of inline text at column and row (both from 0); the header's cells take the bold format.
void appendCell(std::string& xml, std::size_t column, std::size_t row, std::u16string_view text) {
    std::string letters;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    xml += "<c r=\"" + letters + std::to_string(row + 1) + (row == 0 ? "\" s=\"1" : "") +
           "\" t=\"inlineStr\"><is><t";
    constexpr std::u16string_view kBlanks = u" \t\n\r";
    if (kBlanks.find(text.front()) != kBlanks.npos || kBlanks.find(text.back()) != kBlanks.npos)
        xml += " xml:space=\"preserve\"";
    xml += '>';
    appendXml(xml, cutUnits(text, kMaxCellUnits), true);
    xml += "</t></is></c>";
}

// Every failure concerns a place the operator chose, under the name the operator gave it.
FileResult writeFailure(FileStep step, const std::filesystem::path& target, int errnum) {
    FileResult result = FileResult::failed(FileOp::Write, step, target, errnum);
    result.insideDataFolders = false;
    return result;
}

// A sheet's XML up to its rows: the frozen header row, and the column widths.
std::string sheetHead(const SheetOut& sheet, bool first) {
    std::string xml = std::string(kXmlHead) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                      "\"><sheetViews><sheetView " + (first ? "tabSelected=\"1\" " : "") +
                      "workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
                      "state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView></sheetViews>"
                      "<sheetFormatPr defaultRowHeight=\"15\"/>";
    std::vector<double> widths;
    for (const auto& row : sheet.rows) {
        widths.resize(std::max(widths.size(), row.size()), kMinColumnWidth);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], std::min(columnWidthFor(row[c]), kMaxColumnWidth));
    }
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const std::string n = std::to_string(c + 1);
        xml += (c == 0 ? "<cols><col min=\"" : "<col min=\"") + n + "\" max=\"" + n + "\" width=\"" +
               std::to_string(widths[c]) + "\" customWidth=\"1\"/>" +
               (c + 1 == widths.size() ? "</cols>" : "");
    }
    return xml + "<sheetData>";
}

enum class Outcome { Done, Failed, Cancelled };

// The zip being written, with the progress of the rows in it.
class Package {
public:
    Package(QIODevice& device, const XlsxCancelFn& cancelled, const XlsxProgressFn& progress, int total)
        : m_zip(&device), m_cancelled(cancelled), m_progress(progress), m_total(total) {
        m_zip.setDataDescriptorWritingEnabled(false);
        m_ok = m_zip.open(QuaZip::mdCreate);
    }

    bool part(const char* name, std::string text) { return open(name) && write(text) && close(); }

    Outcome sheet(const SheetOut& sheet, bool first, std::size_t index) {
        const std::string name = "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml";
        if (!open(name.c_str()))
            return Outcome::Failed;
        std::string xml = sheetHead(sheet, first);
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            xml += "<row r=\"" + std::to_string(r + 1) + "\">";
            for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
                if (!sheet.rows[r][c].empty())
                    appendCell(xml, c, r, sheet.rows[r][c]);
            }
            xml += "</row>";
            if (xml.size() >= kFlushBytes && !write(xml))
                return Outcome::Failed;
            if (++m_done % kRowsPerReport == 0) {
                if (m_cancelled && m_cancelled())
                    return Outcome::Cancelled;
                if (m_progress)
                    m_progress(m_done, m_total);
            }
        }
        xml += "</sheetData></worksheet>";
        return write(xml) && close() ? Outcome::Done : Outcome::Failed;
    }

    bool finish() {
        m_zip.close();
        return m_ok && m_zip.getZipError() == ZIP_OK;
    }

private:
    bool open(const char* name) {
        m_ok = m_ok && m_part.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(name)), nullptr, 0,
                                   Z_DEFLATED, Z_DEFAULT_COMPRESSION);
        return m_ok;
    }
    bool write(std::string& text) {
        m_ok = m_ok && m_part.write(text.data(), qint64(text.size())) == qint64(text.size());
        text.clear();
        return m_ok;
    }
    bool close() {
        m_part.close();
        m_ok = m_ok && m_part.getZipError() == ZIP_OK;
        return m_ok;
    }

    QuaZip m_zip;
    QuaZipFile m_part{&m_zip};
    bool m_ok = false;
    const XlsxCancelFn& m_cancelled;
    const XlsxProgressFn& m_progress;
    int m_done = 0;
    int m_total = 0;
};

// The parts around the sheets: content types, relationships, the workbook with the sheets' names, and the
// styles (the second cell format is the bold header's).
std::string relationship(std::size_t id, const char* type, const std::string& target) {
    return "<Relationship Id=\"rId" + std::to_string(id) + "\" Type=\"" + kRelNs + "/" + type +
           "\" Target=\"" + target + "\"/>";
}

std::string contentTypes(std::size_t sheets) {
    std::string xml = std::string(kXmlHead) +
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" "
                      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
                      kTypePrefix + "sheet.main+xml\"/><Override PartName=\"/xl/styles.xml\" ContentType=\"" +
                      kTypePrefix + "styles+xml\"/>";
    for (std::size_t i = 1; i <= sheets; ++i)
        xml += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) + ".xml\" ContentType=\"" +
               kTypePrefix + "worksheet+xml\"/>";
    return xml + "</Types>";
}

std::string packageRels() {
    return std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelNs + "\">" +
           relationship(1, "officeDocument", "xl/workbook.xml") + "</Relationships>";
}

std::string workbookXml(const std::vector<std::u16string>& names) {
    std::string xml = std::string(kXmlHead) + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                      "\"><bookViews><workbookView/></bookViews><sheets>";
    for (std::size_t i = 0; i < names.size(); ++i) {
        xml += "<sheet name=\"";
        appendXml(xml, names[i], false);
        xml += "\" sheetId=\"" + std::to_string(i + 1) + "\" r:id=\"rId" + std::to_string(i + 1) + "\"/>";
    }
    return xml + "</sheets></workbook>";
}

std::string workbookRels(std::size_t sheets) {
    std::string xml = std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelNs + "\">";
    for (std::size_t i = 1; i <= sheets; ++i)
        xml += relationship(i, "worksheet", "worksheets/sheet" + std::to_string(i) + ".xml");
    return xml + relationship(sheets + 1, "styles", "styles.xml") + "</Relationships>";
}

std::string stylesXml() {
    const std::string font = "<sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>";
    const std::string xf = "<xf numFmtId=\"0\" fillId=\"0\" borderId=\"0\" ";
    return std::string(kXmlHead) + "<styleSheet xmlns=\"" + kMainNs + "\"><fonts count=\"2\"><font>" + font +
           "<font><b/>" + font +
           "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\">" +
           xf + "fontId=\"0\"/></cellStyleXfs><cellXfs count=\"2\">" + xf + "fontId=\"0\" xfId=\"0\"/>" + xf +
           "fontId=\"1\" xfId=\"0\" applyFont=\"1\"/></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "</styleSheet>";
}

} // namespace

std::u16string sheetNameFor(std::u16string_view text, const std::vector<std::u16string>& taken) {
    std::u16string name(text);
    std::replace_if(name.begin(), name.end(), isIllegalInSheetName, u'_');
    name = cutUnits(name, kSheetNameUnits);
    const std::size_t first = name.find_first_not_of(u'\'');
    name = first == std::u16string::npos ? std::u16string() : name.substr(first);
    name.erase(name.find_last_not_of(u'\'') + 1);
    if (name.empty())
        name = u"Sheet";
    if (!nameTaken(name, taken))
        return name;
    for (long long n = 2;; ++n) {
        // Built by formatText: GCC's -O3 warns falsely (-Wrestrict) on a literal + std::u16string.
        const std::u16string suffix = formatText(u"(%s)", {decimalText(n)});
        std::u16string candidate = cutUnits(name, kSheetNameUnits - suffix.size()) + suffix;
        if (!nameTaken(candidate, taken))
            return candidate;
    }
}

double columnWidthFor(std::u16string_view text) {
    double width = 2; // margin
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            width += 2;
            ++i;
        } else {
            width += isWide(text[i]) ? 2 : 1;
        }
    }
    return width;
}

XlsxWriteResult writeXlsx(const std::filesystem::path& file, const std::vector<SheetOut>& sheets,
                          const XlsxCancelFn& cancelled, const XlsxProgressFn& progress) {
    XlsxWriteResult result;
    // A workbook needs a sheet. The callers' sheets stay far below Excel's 1048576 rows and 16384 columns.
    const std::vector<SheetOut> blank{SheetOut{u"Sheet", {}}};
    const std::vector<SheetOut>& parts = sheets.empty() ? blank : sheets;
    int total = 0;
    for (const SheetOut& sheet : parts)
        total += static_cast<int>(sheet.rows.size());

    ZipOutputFile output;
    if (const int err = output.open(file)) {
        result.failure = writeFailure(FileStep::Open, file, err);
        return result;
    }
    if (progress)
        progress(0, total);

    std::vector<std::u16string> names;
    for (const SheetOut& sheet : parts)
        names.push_back(sheetNameFor(sheet.name, names));
    Outcome outcome = Outcome::Done;
    {
        Package zip(output.device(), cancelled, progress, total);
        bool ok = zip.part("[Content_Types].xml", contentTypes(parts.size())) &&
                  zip.part("_rels/.rels", packageRels()) && zip.part("xl/workbook.xml", workbookXml(names)) &&
                  zip.part("xl/_rels/workbook.xml.rels", workbookRels(parts.size())) &&
                  zip.part("xl/styles.xml", stylesXml());
        outcome = ok ? Outcome::Done : Outcome::Failed;
        for (std::size_t i = 0; outcome == Outcome::Done && i < parts.size(); ++i)
            outcome = zip.sheet(parts[i], i == 0, i);
        if (outcome == Outcome::Done && !zip.finish())
            outcome = Outcome::Failed;
    }
    if (outcome == Outcome::Cancelled) {
        result.cancelled = true;
        return result;
    }
    if (FileResult committed = output.commit(outcome == Outcome::Done); !committed) {
        result.failure = std::move(committed);
        return result;
    }
    if (progress)
        progress(total, total);
    return result;
}

} // namespace kelvora
