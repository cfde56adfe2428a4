#pragma once
// Text tables: .csv and .txt files as other programs save them. The encoding is taken from a byte order mark,
// else UTF-8 when the bytes are valid UTF-8, else uchardet's guess among GB18030, Big5 and UTF-16 (a Chinese
// Excel saves its CSV as GB18030); the bytes are decoded with iconv. The separator is the one of comma,
// semicolon and tab that splits the first lines most evenly. Fields follow RFC 4180: quoted fields may hold
// separators, doubled quotes and line breaks.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/sheet_table.h"

namespace kelvora {

// The encodings offered, by the names Workbook::encoding uses.
std::vector<std::string> textTableEncodings();

struct TextTableOptions {
    std::string encoding;              // empty: detect
    std::optional<char16_t> separator; // nothing: detect; 0: none, each line is one cell
};

// One sheet named after the file (without its extension); the Workbook says which encoding and separator
// were used. A file with NUL bytes or other binary data in a single-byte encoding fails as NotText.
Workbook readTextTable(const std::filesystem::path& file, const TextTableOptions& options = {});
Workbook readTextTableBytes(std::string_view bytes, std::u16string_view sheetName,
                            const TextTableOptions& options = {});

// The encoding the reader would choose for bytes.
std::string detectTextEncoding(std::string_view bytes);

} // namespace kelvora
