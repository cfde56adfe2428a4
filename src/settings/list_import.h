#pragma once
// Pasted lines become text-list entries: each line is split at its tabs into up to four columns, every column
// is measured in half-width cells and padded to the widest cell of its column, the columns are joined with a
// separator, and lines whose entries differ only in letter case from an earlier one are dropped and reported.
//
// The work runs on a worker thread; it knows no window. Column widths come through a function the caller
// passes in (the user interface measures in the editor's font, tests count units).

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/entrant.h"
#include "settings/text_name_list.h"
#include "settings/typed_text.h"

namespace kelvora {

inline constexpr int kImportColumns = 4;
// Units of a pasted line that are read; the rest of a longer line is dropped before it is split.
inline constexpr int kImportLineUnits = 60;

inline constexpr std::u16string_view kTooManyImportLinesText = u"最多读取3万行";
inline constexpr std::u16string_view kNothingToImportText = u"请先复制名单到文本框";

// Where the spaces go that bring a column to its widest cell.
enum class ColumnAlign : std::int32_t {
    None = 0,    // no spaces
    Left = 1,    // spaces after the text
    Right = 2,   // spaces before the text
    Justify = 3, // spaces between the characters
};
using ColumnAligns = std::array<ColumnAlign, kImportColumns>;

// One kept line of the text box.
struct ImportLine {
    std::u16string raw; // as read (at most 60 units), untrimmed: the duplicates report shows it so
    std::array<std::u16string, kImportColumns> columns;
    std::array<std::int32_t, kImportColumns> widths{};
};

struct ImportSettings {
    ColumnAligns aligns{};           // columns without a choice stay unaligned
    std::u16string separator = u" "; // put between the columns of an entry
};

// The width of a text in half-width cells (a space is one cell, a Chinese character two in the editor's
// font).
using TextWidthFunction = std::function<int(std::u16string_view)>;
// Lines done of total, counting both passes over the lines (total = twice the number of lines).
using ImportProgressFunction = std::function<void(int done, int total)>;

struct ImportResult {
    EntrantList entries;       // in text-box order, duplicates left out
    bool spaceAligned = false; // some cell was padded with spaces
    int duplicateCount = 0;
    std::u16string duplicateText; // each dropped line's raw text followed by CR LF
    bool cancelled = false;       // entries and duplicates are then incomplete and must not be used
};

struct ImportLines {
    std::vector<ImportLine> lines;
    bool tooMany = false; // more than 30000 non-blank lines: the first 30000 were kept
};

// The lines of a text box (LF, CR LF or CR between them), each cut to 60 units; blank lines are skipped.
ImportLines readImportLines(std::u16string_view text);

// Fills line.columns: columns 0 to 2 end at a tab; column 3 is the rest of the line with its tabs turned into
// spaces, cut to 127 units. Every column is trimmed.
void splitImportLine(ImportLine& line);

// The text padded to width cells by the alignment; pad is the number of spaces to add.
std::u16string alignCell(std::u16string_view text, ColumnAlign align, int pad);

// Splits, measures and joins every line into entries, dropping those whose name equals, ignoring letter case,
// an earlier entry's or one of existing. Polls cancel before every line and returns at once, marked
// cancelled, when it is set. progress may be empty.
ImportResult runImport(std::vector<ImportLine> lines, const ImportSettings& settings,
                       const TextWidthFunction& width, const std::atomic<bool>& cancel,
                       const ImportProgressFunction& progress, std::span<const Entrant> existing = {});

// Puts an import's outcome into the list. A cancelled import leaves the list empty: it is reached only from
// "重新导入...", which has already emptied it. Otherwise the entries are appended (never past 30000) and a
// padded import marks the list as space-aligned.
void applyImport(TextNameList& list, const ImportResult& result);

} // namespace kelvora
