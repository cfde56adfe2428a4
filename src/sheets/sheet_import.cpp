#include "sheets/sheet_import.h"

#include <atomic>
#include <optional>

#include "draw/progress_file.h"
#include "platform/text.h"
#include "records/prizes.h"
#include "settings/text_list_rules.h"
#include "settings/text_name_list.h"
#include "settings/typed_text.h"
#include "sheets/sheet_file.h"

namespace kelvora {

SheetImportText sheetImportText(const Sheet& sheet, const SheetImportChoice& choice) {
    SheetImportText out;
    std::vector<int> columns = choice.columns;
    if (columns.empty())
        for (int i = 0; i < sheet.columnCount; ++i)
            columns.push_back(i);
    std::u16string line;
    for (std::size_t r = choice.header ? 1 : 0; r < sheet.rows.size(); ++r) {
        const std::vector<std::u16string>& cells = sheet.rows[r].cells;
        line.clear();
        bool any = false;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                line += u'\t';
            const int column = columns[c];
            if (column >= 0 && column < static_cast<int>(cells.size()) && !cells[column].empty()) {
                line += cells[column];
                any = true;
            }
        }
        // A row blank in the chosen columns would be skipped by the import anyway; leaving it out keeps the
        // count of 30000 about names.
        if (!any || trimTypedText(line).empty())
            continue;
        if (out.rows == kMaxEntrants) {
            out.tooMany = true;
            break;
        }
        out.text += line;
        out.text += u'\n';
        ++out.rows;
    }
    // A sheet cut by its reader had more rows than any list may hold.
    if (sheet.truncated && out.rows == kMaxEntrants)
        out.tooMany = true;
    return out;
}

bool looksLikeHeader(const Sheet& sheet) {
    if (sheet.rows.empty())
        return false;
    static constexpr std::u16string_view kTitles[] = {
        u"姓名", u"名字", u"名单", u"部门", u"工号", u"编号", u"序号", u"号码", u"手机", u"电话",
        u"座位", u"票号", u"桌号", u"单位", u"公司", u"职位", u"name", u"id",   u"dept", u"no."};
    for (const std::u16string& cell : sheet.rows.front().cells) {
        const std::u16string_view text = trimTypedText(cell);
        for (const std::u16string_view title : kTitles) {
            if (text.size() < title.size() || text.size() > title.size() + 4)
                continue;
            for (std::size_t at = 0; at + title.size() <= text.size(); ++at)
                if (equalsIgnoreCase(text.substr(at, title.size()), title))
                    return true;
        }
    }
    return false;
}

namespace {

// Whether a draw is under way in the event; a progress file that does not read is taken as one, so that a
// script never replaces the list of a draw the program could still take up.
std::optional<std::u16string> drawRefusal(const DataPaths& paths) {
    PrizeList prizes;
    if (const FileResult read = loadPrizes(paths, prizes); !read)
        return messageText(read);
    std::optional<DrawProgress> resumed;
    if (const FileResult read = loadProgress(paths, prizes, resumed); !read)
        return messageText(read);
    if (resumed)
        return std::u16string(kListLockedText);
    return std::nullopt;
}

} // namespace

SheetListImportOutcome importSheetIntoList(const DataPaths& paths, const SheetListImportRequest& request) {
    SheetListImportOutcome outcome;
    if (std::optional<std::u16string> refusal = drawRefusal(paths)) {
        outcome.messages.push_back(std::move(*refusal));
        return outcome;
    }
    const Workbook book = readSheetFile(request.file);
    if (book.failure) {
        outcome.messages.push_back(sheetFailureText(*book.failure, request.file));
        return outcome;
    }
    const Sheet* sheet = findSheet(book, request.sheet);
    if (!sheet) {
        outcome.messages.push_back(formatText(u"表格中没有工作表“%s”", {request.sheet}));
        return outcome;
    }
    const SheetImportText text = sheetImportText(*sheet, request.choice);
    if (text.tooMany)
        outcome.messages.emplace_back(kTooManyImportLinesText);
    ImportLines lines = readImportLines(text.text);
    if (lines.lines.empty()) {
        outcome.messages.emplace_back(kNothingToImportText);
        return outcome;
    }
    // Without alignment a width only tells an empty column from a used one.
    const TextWidthFunction units = [](std::u16string_view cell) { return static_cast<int>(cell.size()); };
    const std::atomic<bool> never{false};
    const ImportResult result = runImport(std::move(lines.lines), ImportSettings{}, units, never, {});
    TextNameList list;
    applyImport(list, result);
    if (const FileResult saved = saveTextNameList(paths, list); !saved) {
        outcome.messages.push_back(messageText(saved));
        return outcome;
    }
    outcome.imported = true;
    outcome.entries = static_cast<int>(list.entries.size());
    outcome.duplicates = result.duplicateCount;
    return outcome;
}

} // namespace kelvora
