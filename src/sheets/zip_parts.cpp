#include "sheets/zip_parts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <quazip/quazipfile.h>

namespace kelvora {

namespace {

// "<row r="7" .../>": a row element that holds nothing and says its number (dropping a row without one would
// renumber the rows after it). Quotes must close, so that no "/>" inside a value is taken for the end.
bool isNumberedEmptyRow(QByteArrayView tag) {
    if (tag.size() < 8 || tag[4] != ' ' || !tag.endsWith("/>") || tag.indexOf(" r=") < 0)
        return false;
    int quotes = 0, apostrophes = 0;
    for (qsizetype i = 1; i < tag.size(); ++i) {
        if (tag[i] == '<')
            return false;
        quotes += tag[i] == '"';
        apostrophes += tag[i] == '\'';
    }
    return quotes % 2 == 0 && apostrophes % 2 == 0;
}

// Hands the XML reader an entry's inflated bytes, counted against what is left of the budget: the sizes a zip
// states are not trusted.
//
// In a worksheet it also leaves out each run of numbered empty rows but its last: a spreadsheet
// writes one for every formatted row, up to a million, and the XML reader would spend a second on elements
// that carry no text. The last of a run stays so that a following row without a number counts on from it,
// and the white space between dropped rows goes with them (it means nothing between elements).
class PartDevice final : public QIODevice {
public:
    PartDevice(QIODevice& source, std::uint64_t& left, bool worksheet)
        : m_source(source), m_left(left), m_worksheet(worksheet) {}
    bool isSequential() const override { return true; }
    std::optional<SheetFault> fault;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        while (m_out.size() == m_outPos && !m_done)
            if (!fill())
                return -1;
        const qint64 count = std::min<qint64>(maxSize, m_out.size() - m_outPos);
        std::copy_n(m_out.constData() + m_outPos, count, data);
        m_outPos += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool fill() {
        m_out.clear();
        m_outPos = 0;
        char chunk[1 << 16];
        const qint64 got = m_source.read(chunk, sizeof chunk);
        if (got < 0)
            fault = SheetFault::Damaged;
        else if (static_cast<std::uint64_t>(got) > m_left)
            fault = SheetFault::TooLarge;
        if (fault)
            return false;
        m_left -= static_cast<std::uint64_t>(got);
        m_done = got == 0;
        // A part in UTF-16 (rare, but allowed) does not spell "<row" in single bytes: it goes through as it
        // is.
        if (m_in.isEmpty() && got >= 2 &&
            (chunk[0] == 0 || chunk[1] == 0 || static_cast<unsigned char>(chunk[0]) >= 0xFE))
            m_worksheet = false;
        m_in.append(chunk, got);
        if (m_worksheet && !m_done)
            return dropEmptyRows(), true;
        m_out += m_held;
        m_out += m_in;
        m_held.clear();
        m_in.clear();
        return true;
    }

    void dropEmptyRows() {
        qsizetype done = 0;
        while (true) {
            const qsizetype row = m_in.indexOf("<row", done);
            // Up to the next row, keeping back what could be the start of one.
            const qsizetype upTo = row >= 0 ? row : std::max(done, m_in.size() - 3);
            const QByteArrayView between(m_in.constData() + done, upTo - done);
            if (!m_held.isEmpty() && !between.isEmpty() && !between.trimmed().isEmpty())
                m_out += std::exchange(m_held, {});
            if (m_held.isEmpty())
                m_out += between;
            done = upTo;
            const qsizetype close = row >= 0 ? m_in.indexOf('>', row) : -1;
            if (row < 0 || (close < 0 && m_in.size() - row < 4096))
                break; // the tag's end comes with the next chunk
            done = close >= 0 ? close + 1 : row + 4;
            const QByteArrayView tag(m_in.constData() + row, done - row);
            const bool empty = close >= 0 && isNumberedEmptyRow(tag);
            if (empty) {
                m_held.truncate(0); // keeps its capacity for the next run
                m_held.append(tag.data(), tag.size());
            } else {
                m_out += std::exchange(m_held, {});
                m_out += tag;
            }
        }
        m_in.remove(0, done);
    }

    QIODevice& m_source;
    std::uint64_t& m_left;
    bool m_worksheet;
    bool m_done = false;
    QByteArray m_in, m_held, m_out; // not yet looked at; the last dropped row; ready for the reader
    qsizetype m_outPos = 0;
};

// What a kept cell costs: the string object, and its characters once they no longer fit inside it.
std::uint64_t cellCost(std::size_t units) {
    return sizeof(std::u16string) + (units > 7 ? units * 2 : 0);
}

} // namespace

void flattenLineBreaks(std::u16string& text) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
        text[out++] = c;
    }
    text.resize(out);
}

bool nextToken(QXmlStreamReader& xml) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::DTD)
        xml.raiseError(QStringLiteral("document type declaration"));
    return !xml.hasError() && token != QXmlStreamReader::EndDocument;
}

void appendCellText(std::u16string& out, QStringView text) {
    const std::size_t room = kCellMaxUnits - std::min(out.size(), kCellMaxUnits);
    out.append(text.utf16(), std::min(room, static_cast<std::size_t>(text.size())));
}

QStringView attribute(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1StringView(name));
}

QStringView attribute(const QXmlStreamAttributes& attributes, QLatin1StringView ns, const char* name) {
    return attributes.value(ns, QLatin1StringView(name));
}

std::u16string_view view(QStringView text) {
    return std::u16string_view(text.utf16(), static_cast<std::size_t>(text.size()));
}

std::int64_t wholeNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 18)
        return -1;
    std::int64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<double> decimalNumber(std::u16string_view text) {
    char ascii[64];
    if (text.empty() || text.size() >= sizeof ascii)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        ascii[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), value);
    if (error != std::errc() || end != ascii + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void readText(QXmlStreamReader& xml, std::u16string& out) {
    for (int depth = 1; depth > 0 && nextToken(xml);) {
        if (xml.isCharacters())
            appendCellText(out, xml.text());
        depth += xml.isStartElement() - xml.isEndElement();
    }
}

ZipParts::ZipParts(QIODevice& device) : m_zip(&device) {}

bool ZipParts::open() {
    return m_zip.open(QuaZip::mdUnzip);
}

bool ZipParts::has(const QString& name) {
    if (m_zip.setCurrentFile(name, QuaZip::csInsensitive))
        return true;
    const int error = m_zip.getZipError();
    if (error != UNZ_OK && error != UNZ_END_OF_LIST_OF_FILE)
        fail(SheetFault::Damaged);
    return false;
}

ZipParts::Read ZipParts::readXml(const QString& name, const std::function<void(QXmlStreamReader&)>& read,
                                 bool worksheet) {
    if (m_fault)
        return Read::Failed;
    if (!has(name))
        return m_fault ? Read::Failed : Read::Missing;
    QuaZipFileInfo64 info;
    std::uint64_t left = kSheetMaxBytes - m_unpacked;
    if (!m_zip.getCurrentFileInfo(&info))
        fail(SheetFault::Damaged);
    else if (info.uncompressedSize > left)
        fail(SheetFault::TooLarge);
    if (m_fault)
        return Read::Failed;
    QuaZipFile file(&m_zip);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(SheetFault::Damaged);
        return Read::Failed;
    }
    PartDevice device(file, left, worksheet);
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QXmlStreamReader xml(&device);
    read(xml);
    m_unpacked = kSheetMaxBytes - left;
    if (device.fault)
        fail(*device.fault);
    else if (xml.hasError())
        fail(SheetFault::Damaged);
    file.close();
    // A bad checksum shows only here, once the whole entry went through.
    if (file.getZipError() != UNZ_OK)
        fail(SheetFault::Damaged);
    return m_fault ? Read::Failed : Read::Done;
}

bool keepSheet(ZipParts& parts, Workbook& book, SheetBuilder& sheet) {
    Sheet finished = sheet.finish(); // merged areas may spend the rest of the budget
    if (sheet.overBudget() || book.sheets.size() == kMaxSheets)
        parts.fail(SheetFault::TooLarge);
    else
        book.sheets.push_back(std::move(finished));
    return !parts.fault();
}

SheetBuilder::SheetBuilder(std::u16string name, std::uint64_t& keptBudget) : m_budget(keptBudget) {
    m_sheet.name = std::move(name);
    charge(sizeof(Sheet) + m_sheet.name.size() * 2);
}

bool SheetBuilder::charge(std::uint64_t bytes) {
    if (m_overBudget || bytes > m_budget) {
        m_overBudget = true;
        return false;
    }
    m_budget -= bytes;
    return true;
}

void SheetBuilder::beginRow(std::int64_t number) {
    m_row.number = static_cast<int>(std::clamp<std::int64_t>(number, 1, kMaxRowNumber));
    m_row.cells.clear();
}

void SheetBuilder::setCell(std::int64_t column, std::u16string_view text) {
    if (text.empty() || column < 0 || column >= kSheetMaxColumns || full())
        return;
    const auto index = static_cast<std::size_t>(column);
    if (m_row.cells.size() <= index) {
        m_row.cells.reserve(std::max(m_widthHint, index + 1));
        m_row.cells.resize(index + 1);
    }
    m_row.cells[index].assign(text.substr(0, kCellMaxUnits));
}

void SheetBuilder::endRow(std::int64_t times) {
    std::vector<std::u16string>& cells = m_row.cells;
    while (!cells.empty() && cells.back().empty())
        cells.pop_back();
    if (cells.empty() || full())
        return;
    std::uint64_t cost = sizeof(SheetRow);
    for (const std::u16string& cell : cells)
        cost += cellCost(cell.size());
    if (!m_sheet.rows.empty() && m_row.number <= m_sheet.rows.back().number)
        m_sorted = false;
    m_widthHint = cells.size();
    const std::int64_t first = m_row.number;
    for (std::int64_t i = 0; i < times && first + i <= kMaxRowNumber; ++i) {
        if (m_sheet.rows.size() == static_cast<std::size_t>(kSheetMaxRows)) {
            m_sheet.truncated = true;
            break;
        }
        if (!charge(cost))
            break;
        if (i + 1 < times)
            m_sheet.rows.push_back(SheetRow{static_cast<int>(first + i), cells});
        else
            m_sheet.rows.push_back(SheetRow{static_cast<int>(first + i), std::move(cells)});
    }
    cells.clear();
}

void SheetBuilder::addMerge(std::int64_t firstRow, std::int64_t firstColumn, std::int64_t lastRow,
                            std::int64_t lastColumn) {
    if (firstRow < 1 || firstRow > kMaxRowNumber || firstColumn < 0 || firstColumn >= kSheetMaxColumns ||
        lastRow < firstRow || lastColumn < firstColumn || (lastRow == firstRow && lastColumn == firstColumn))
        return;
    if (!charge(sizeof(Merge)))
        return;
    // An area taller than the row limit fills more rows than a sheet keeps anyway.
    lastRow = std::min(lastRow, firstRow + kSheetMaxRows);
    lastColumn = std::min<std::int64_t>(lastColumn, kSheetMaxColumns - 1);
    m_merges.push_back({static_cast<int>(firstRow), static_cast<int>(firstColumn), static_cast<int>(lastRow),
                        static_cast<int>(lastColumn)});
}

Sheet SheetBuilder::finish() {
    if (!m_sorted)
        sortRows();
    if (!m_merges.empty())
        applyMerges();
    for (const SheetRow& row : m_sheet.rows)
        m_sheet.columnCount = std::max(m_sheet.columnCount, static_cast<int>(row.cells.size()));
    return std::move(m_sheet);
}

// Rows given twice or out of order (legal in a worksheet, rare): the later row's cells win.
void SheetBuilder::sortRows() {
    std::vector<SheetRow>& rows = m_sheet.rows;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const SheetRow& a, const SheetRow& b) { return a.number < b.number; });
    std::size_t out = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (out > 0 && rows[out - 1].number == rows[i].number) {
            std::vector<std::u16string>& kept = rows[out - 1].cells;
            kept.resize(std::max(kept.size(), rows[i].cells.size()));
            for (std::size_t c = 0; c < rows[i].cells.size(); ++c)
                if (!rows[i].cells[c].empty())
                    kept[c] = std::move(rows[i].cells[c]);
        } else {
            rows[out++] = std::move(rows[i]);
        }
    }
    rows.resize(out);
}

const std::u16string* SheetBuilder::cellAt(int row, int column) const {
    const std::vector<SheetRow>& rows = m_sheet.rows;
    const auto it = std::lower_bound(rows.begin(), rows.end(), row,
                                     [](const SheetRow& r, int number) { return r.number < number; });
    if (it == rows.end() || it->number != row || static_cast<std::size_t>(column) >= it->cells.size())
        return nullptr;
    return &it->cells[static_cast<std::size_t>(column)];
}

// Every cell of a merged area shows the top-left text. The fills are gathered first, sorted by row, and woven
// into the rows in one pass, so a tall area over a long sheet costs no repeated insertions.
void SheetBuilder::applyMerges() {
    struct Fill {
        int row, column;
        std::size_t text;
    };
    std::vector<std::u16string> texts;
    std::vector<Fill> fills;
    const std::size_t maxFills = static_cast<std::size_t>(kSheetMaxRows) * kSheetMaxColumns;
    for (const Merge& m : m_merges) {
        const std::u16string* top = cellAt(m.firstRow, m.firstColumn);
        if (!top || top->empty() || !charge(cellCost(top->size())))
            continue;
        texts.push_back(*top);
        for (int r = m.firstRow; r <= m.lastRow; ++r)
            for (int c = m.firstColumn; c <= m.lastColumn && fills.size() < maxFills; ++c)
                fills.push_back({r, c, texts.size() - 1});
    }
    std::stable_sort(fills.begin(), fills.end(), [](const Fill& a, const Fill& b) { return a.row < b.row; });
    std::vector<SheetRow> rows = std::move(m_sheet.rows);
    m_sheet.rows.clear();
    std::size_t i = 0, f = 0;
    while ((i < rows.size() || f < fills.size()) && !m_overBudget) {
        int number = i < rows.size() ? rows[i].number : fills[f].row;
        if (f < fills.size())
            number = std::min(number, fills[f].row);
        SheetRow row =
            i < rows.size() && rows[i].number == number ? std::move(rows[i++]) : SheetRow{number, {}};
        for (; f < fills.size() && fills[f].row == number; ++f) {
            const auto column = static_cast<std::size_t>(fills[f].column);
            const std::u16string& text = texts[fills[f].text];
            if (!charge(cellCost(text.size())))
                break;
            if (row.cells.size() <= column)
                row.cells.resize(column + 1);
            row.cells[column] = text;
        }
        if (m_sheet.rows.size() == static_cast<std::size_t>(kSheetMaxRows)) {
            m_sheet.truncated = true;
            break;
        }
        m_sheet.rows.push_back(std::move(row));
    }
}

} // namespace kelvora
