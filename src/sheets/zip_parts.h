#pragma once
// What the .xlsx and .ods readers share (zip_workbook.cpp opens both kinds and reads .xlsx, ods_content.cpp
// reads .ods): the zip archive whose XML parts they read, with one byte budget for everything unpacked, and
// the sheet they fill row by row. Both keep a hostile file cheap: a part is refused
// when its stated size is already over the budget, its bytes are counted again as they inflate, a document
// type declaration ends the read, and the builder drops empty rows, far columns and whatever passes the
// row limit or the memory budget before anything is stored.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QIODevice>
#include <QXmlStreamReader>
#include <quazip/quazip.h>

#include "sheets/sheet_table.h"

namespace kelvora {

// Excel stops a cell at this many characters; a longer text can only come from a hostile file.
inline constexpr std::size_t kCellMaxUnits = 32767;
// More sheets than any workbook made by hand holds; each costs a part to read.
inline constexpr std::size_t kMaxSheets = 1024;
// Row numbers past this are ignored (sixteen times the largest sheet the spreadsheet programs make).
inline constexpr std::int64_t kMaxRowNumber = std::int64_t{1} << 24;

// A cell's text as the import wants it: each tab, line feed, carriage return or CR LF pair became one space.
void flattenLineBreaks(std::u16string& text);
// Appends up to the cell's limit of kCellMaxUnits.
void appendCellText(std::u16string& out, QStringView text);
std::u16string_view view(QStringView text);
// A whole number of at most 18 digits; -1 for anything else (attributes are read with it).
std::int64_t wholeNumber(QStringView text);
// A number as XML stores it ("123", "-1.5E-3"); nullopt for anything else.
std::optional<double> decimalNumber(std::u16string_view text);
QStringView attribute(const QXmlStreamAttributes& attributes, const char* name);
QStringView attribute(const QXmlStreamAttributes& attributes, QLatin1StringView ns, const char* name);

class ZipParts {
public:
    enum class Read { Done, Missing, Failed };

    explicit ZipParts(QIODevice& device);
    ZipParts(const ZipParts&) = delete;
    ZipParts& operator=(const ZipParts&) = delete;

    // False when the device holds nothing QuaZip can open as a zip.
    bool open();
    // Whether the part is in the archive (names compared ignoring case); a broken directory sets Damaged.
    bool has(const QString& name);
    // Streams the part through read. Failed leaves the reason in fault(): a broken entry, XML that does not
    // parse or declares a document type, or the unpacked total passing kSheetMaxBytes. A worksheet's runs of
    // empty rows reach read as their last row only.
    Read readXml(const QString& name, const std::function<void(QXmlStreamReader&)>& read,
                 bool worksheet = false);

    // Records why reading stopped (the first reason wins).
    void fail(SheetFault fault) {
        if (!m_fault)
            m_fault = fault;
    }
    std::optional<SheetFault> fault() const { return m_fault; }
    // What the sheets built from this archive may keep in memory, in bytes, all sheets together.
    std::uint64_t keptBudget = kSheetMaxBytes;

private:
    QuaZip m_zip;
    std::uint64_t m_unpacked = 0;
    std::optional<SheetFault> m_fault;
};

// The next token; a document type declaration becomes an error (no entity is ever declared, so none can
// expand). False at the end of the document or on an error.
bool nextToken(QXmlStreamReader& xml);
// The text inside the current element, through its end, whatever elements it nests.
void readText(QXmlStreamReader& xml, std::u16string& out);

// Collects one sheet. Cells are set into the current row; ending a row keeps it only when it has text.
class SheetBuilder {
public:
    SheetBuilder(std::u16string name, std::uint64_t& keptBudget);

    void beginRow(std::int64_t number);
    // Sets a cell of the current row; empty texts and columns past kSheetMaxColumns are ignored.
    void setCell(std::int64_t column, std::u16string_view text);
    // Keeps the current row, repeated times over consecutive numbers, when it has text.
    void endRow(std::int64_t times = 1);
    // An area shown as one cell: the top-left cell's text fills it when the sheet is finished.
    void addMerge(std::int64_t firstRow, std::int64_t firstColumn, std::int64_t lastRow,
                  std::int64_t lastColumn);

    // No more rows are kept: the sheet is full (truncated) or the memory budget is spent.
    bool full() const { return m_sheet.truncated || m_overBudget; }
    bool overBudget() const { return m_overBudget; }
    Sheet finish();

private:
    struct Merge {
        int firstRow, firstColumn, lastRow, lastColumn;
    };
    bool charge(std::uint64_t bytes);
    void sortRows();
    void applyMerges();
    const std::u16string* cellAt(int row, int column) const;

    Sheet m_sheet;
    std::uint64_t& m_budget;
    bool m_overBudget = false;
    bool m_sorted = true;
    SheetRow m_row;              // the current row
    std::size_t m_widthHint = 0; // the last kept row's width, reserved for the next
    std::vector<Merge> m_merges;
};

// Adds the finished sheet to the workbook; false, with TooLarge, once the memory budget or kMaxSheets is
// passed.
bool keepSheet(ZipParts& parts, Workbook& book, SheetBuilder& sheet);

// The OpenDocument reader (ods_content.cpp): the tables of content.xml into book, failures into parts.
void readOdsContent(ZipParts& parts, Workbook& book);

} // namespace kelvora
