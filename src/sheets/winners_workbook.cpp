// The winners workbook's sheets. A text-list name is the import's columns joined and padded with spaces; the
// sheet gives them back as columns of their own so that a department or a staff number can be sorted and
// filtered, next to the name as it was shown on the screen.

#include "sheets/winners_workbook.h"

#include <algorithm>
#include <iterator>

#include "platform/text.h"
#include "winners/winner_export.h"

namespace kelvora {

namespace {

bool isPadding(char16_t unit) {
    return unit == u' ' || unit == u'\u3000';
}

// How one entrant appears in a row: the name, and in text mode its parts.
struct NameCells {
    std::u16string name;
    std::vector<std::u16string> parts;
};

NameCells cellsFor(const Entrant& entrant, bool pictureMode) {
    NameCells cells;
    if (pictureMode) {
        cells.name = std::u16string(splitExtension(entrant.text()).first);
        return cells;
    }
    std::u16string_view text = entrant.text();
    while (!text.empty() && isPadding(text.back()))
        text.remove_suffix(1);
    cells.name = std::u16string(text);
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isPadding(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isPadding(text[i]))
            ++i;
        if (i > start)
            cells.parts.emplace_back(text.substr(start, i - start));
    }
    return cells;
}

// The columns every sheet gives a name: none unless some name has more than one part, so that a plain list
// of names does not repeat each name in a column of its own. One count for all sheets keeps them alike.
std::size_t partColumns(const WinnerList& winners, const EntrantPool& pool, bool pictureMode) {
    if (pictureMode)
        return 0;
    std::size_t most = 0;
    auto measure = [&](const Entrant& entrant) {
        most = std::max(most, cellsFor(entrant, false).parts.size());
    };
    for (const WinnerGroup& group : winners)
        std::for_each(group.entrants.begin(), group.entrants.end(), measure);
    std::for_each(pool.begin(), pool.end(), measure);
    return most > 1 ? most : 0;
}

std::vector<std::u16string> header(std::initializer_list<std::u16string_view> first, std::size_t parts) {
    std::vector<std::u16string> row(first.begin(), first.end());
    for (std::size_t i = 1; i <= parts; ++i)
        row.push_back(formatText(u"列%s", {decimalText(static_cast<long long>(i))}));
    return row;
}

// The cells from 序号 on: the order, the name, and its columns.
std::vector<std::u16string> nameRow(std::size_t order, const Entrant& entrant, bool pictureMode,
                                    std::size_t parts) {
    NameCells cells = cellsFor(entrant, pictureMode);
    std::vector<std::u16string> row;
    row.reserve(2 + parts);
    row.push_back(decimalText(static_cast<long long>(order)));
    row.push_back(std::move(cells.name));
    if (parts > 0) {
        cells.parts.resize(parts);
        std::move(cells.parts.begin(), cells.parts.end(), std::back_inserter(row));
    }
    return row;
}

} // namespace

std::vector<SheetOut> winnersSheets(const WinnerList& winners, const EntrantPool& pool, bool pictureMode) {
    const std::size_t parts = partColumns(winners, pool, pictureMode);
    std::vector<SheetOut> sheets(1);
    sheets.reserve(winners.size() + 2);

    SheetOut all;
    all.name = kAllPrizesSheetName;
    all.rows.push_back(header({u"奖项", u"序号", u"名单"}, parts));
    // The two sheets of fixed names keep them; a prize of the same name is the one renamed.
    std::vector<std::u16string> taken{std::u16string(kAllPrizesSheetName),
                                      std::u16string(kNotYetWonSheetName)};
    for (const WinnerGroup& group : winners) {
        SheetOut sheet;
        sheet.name = sheetNameFor(group.name(), taken);
        taken.push_back(sheet.name);
        sheet.rows.reserve(group.entrants.size() + 1);
        sheet.rows.push_back(header({u"序号", u"名单"}, parts));
        for (std::size_t i = 0; i < group.entrants.size(); ++i) {
            std::vector<std::u16string> row = nameRow(i + 1, group.entrants[i], pictureMode, parts);
            std::vector<std::u16string>& withPrize = all.rows.emplace_back();
            withPrize.reserve(row.size() + 1);
            withPrize.emplace_back(group.name());
            withPrize.insert(withPrize.end(), row.begin(), row.end());
            sheet.rows.push_back(std::move(row));
        }
        sheets.push_back(std::move(sheet));
    }

    SheetOut notYetWon;
    notYetWon.name = kNotYetWonSheetName;
    notYetWon.rows.reserve(pool.size() + 1);
    notYetWon.rows.push_back(header({u"序号", u"名单"}, parts));
    for (std::size_t i = 0; i < pool.size(); ++i)
        notYetWon.rows.push_back(nameRow(i + 1, pool[i], pictureMode, parts));
    sheets.push_back(std::move(notYetWon));
    sheets.front() = std::move(all);
    return sheets;
}

XlsxWriteResult writeWinnersWorkbook(const std::filesystem::path& file, const WinnerList& winners,
                                     const EntrantPool& pool, bool pictureMode, const XlsxCancelFn& cancelled,
                                     const XlsxProgressFn& progress) {
    return writeXlsx(file, winnersSheets(winners, pool, pictureMode), cancelled, progress);
}

} // namespace kelvora
