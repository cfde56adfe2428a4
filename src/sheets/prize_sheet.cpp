// The prize table in and out of a spreadsheet. Reading is all or nothing: a table with one refused row gives
// no prizes, only the list of what to fix, so that an import never leaves half a draw's prizes behind.

#include "sheets/prize_sheet.h"

#include <array>
#include <system_error>

#include "platform/text.h"
#include "records/file_system.h"
#include "settings/prize_rules.h"
#include "settings/typed_text.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kPrizeSheetName = u"奖项";
constexpr std::u16string_view kHelpSheetName = u"说明";

struct ColumnHelp {
    std::u16string_view name;
    std::u16string_view rule;
};

// The columns in the order of the dialog's fields, which is the order of PrizeFields.
constexpr std::array<ColumnHelp, 7> kColumns{{
    {u"奖项", u"不可为空、不可重名，不可含 \\ / : * ? \" < > |"},
    {u"名额", u"1-30000个"},
    {u"每次抽", u"1-50个，不大于名额"},
    {u"一行显示", u"1-5个"},
    {u"字体大小", u"16-125"},
    {u"奖品", u"可选"},
    {u"奖品图", u"可选，图片文件须在 参数设置(勿删)/奖项 文件夹中"},
}};

std::u16string number(std::int32_t value) {
    return decimalText(value);
}

PrizeFields fieldsOf(const SheetRow& row) {
    auto cell = [&](std::size_t i) { return i < row.cells.size() ? row.cells[i] : std::u16string(); };
    return {cell(0), cell(1), cell(2), cell(3), cell(4), cell(5), cell(6)};
}

bool isHeader(const SheetRow& row) {
    return !row.cells.empty() && trimTypedText(row.cells[0]) == kColumns[0].name;
}

bool isFileIn(const std::filesystem::path& folder, std::u16string_view name) {
    const std::optional<std::filesystem::path> path = joinChecked(folder, name);
    std::error_code ec;
    return path && std::filesystem::is_regular_file(*path, ec);
}

std::u16string rowText(const SheetRow& row, std::u16string_view what) {
    return formatText(u"第%s行: %s", {decimalText(row.number), what});
}

} // namespace

std::vector<SheetOut> prizeSheets(const PrizeList& prizes) {
    SheetOut table;
    table.name = kPrizeSheetName;
    std::vector<std::u16string>& header = table.rows.emplace_back();
    for (const ColumnHelp& column : kColumns)
        header.emplace_back(column.name);
    for (const PrizeItem& prize : prizes) {
        table.rows.push_back({std::u16string(prize.nameText()), number(prize.quota), number(prize.perDraw),
                              number(prize.perLine), number(prize.fontSize),
                              std::u16string(fieldText(prize.prizeText)),
                              std::u16string(fieldText(prize.imageFile))});
    }

    SheetOut help;
    help.name = kHelpSheetName;
    help.rows.push_back({u"列", u"说明"});
    for (const ColumnHelp& column : kColumns)
        help.rows.push_back({std::u16string(column.name), std::u16string(column.rule)});
    return {std::move(table), std::move(help)};
}

XlsxWriteResult writePrizeWorkbook(const std::filesystem::path& file, const PrizeList& prizes) {
    return writeXlsx(file, prizeSheets(prizes));
}

PrizeSheetRead readPrizeSheet(const Sheet& sheet, const PrizeList& current,
                              const std::filesystem::path& prizeFolder) {
    PrizeSheetRead read;
    bool anyRow = false;
    for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
        const SheetRow& row = sheet.rows[i];
        if (i == 0 && isHeader(row))
            continue;
        anyRow = true;
        // Each row is checked against the prizes kept before it, so a name given twice is refused the second
        // time, as the dialog would refuse it.
        PrizeEditResult edit = readPrizeFields(fieldsOf(row), read.prizes, -1, false);
        if (!edit.prize) {
            read.problems.push_back(rowText(row, edit.refusal));
            continue;
        }
        if (read.prizes.size() >= static_cast<std::size_t>(kMaxPrizes)) {
            read.problems.push_back(formatText(u"最多%s个奖项", {decimalText(kMaxPrizes)}));
            break;
        }
        PrizeItem& prize = read.prizes.emplace_back(std::move(*edit.prize));
        const std::u16string_view picture = fieldText(prize.imageFile);
        if (!picture.empty() && !isFileIn(prizeFolder, picture))
            read.notes.push_back(rowText(row, formatText(u"奖品图不存在: %s", {picture})));
        if (const int match = findPrize(current, prize.nameText()); match >= 0) {
            const PrizeItem& old = current[static_cast<std::size_t>(match)];
            prize.whiteList = old.whiteList;
            prize.blackList = old.blackList;
            if (!old.whiteList.empty() || !old.blackList.empty())
                ++read.keptLists;
        }
    }
    if (!anyRow)
        read.problems.emplace_back(u"表格中没有奖项");
    if (!read.problems.empty())
        read = PrizeSheetRead{{}, std::move(read.problems), {}, 0};
    return read;
}

} // namespace kelvora
