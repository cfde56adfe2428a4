// The text-table reader on arbitrary bytes: once with everything detected, once with an encoding and a
// separator forced by the first byte (so that every decoder meets bytes it does not expect). Besides not
// crashing, whatever it returns must stay within the sheet's bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sheets/text_table.h"

namespace {

void checkBounds(const kelvora::Workbook& book) {
    using namespace kelvora;
    if (book.failure && !book.sheets.empty())
        std::abort();
    for (const Sheet& sheet : book.sheets) {
        if (sheet.rows.size() > static_cast<std::size_t>(kSheetMaxRows))
            std::abort();
        int previous = 0;
        int widest = 0;
        for (const SheetRow& row : sheet.rows) {
            if (row.number <= previous || row.cells.empty() || row.cells.size() > kSheetMaxColumns)
                std::abort();
            previous = row.number;
            widest = std::max(widest, static_cast<int>(row.cells.size()));
            for (const std::u16string& cell : row.cells)
                for (char16_t c : cell)
                    if (c < 0x20 || c == 0x7F)
                        std::abort();
        }
        if (widest != sheet.columnCount)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkBounds(readTextTableBytes(bytes, u"fuzz"));
    if (size == 0)
        return 0;
    const std::vector<std::string> encodings = textTableEncodings();
    TextTableOptions options;
    options.encoding = encodings[data[0] % encodings.size()];
    const char16_t separators[] = {0, u',', u';', u'\t'};
    options.separator = separators[(data[0] / encodings.size()) % 4];
    checkBounds(readTextTableBytes(bytes.substr(1), u"fuzz", options));
    return 0;
}
