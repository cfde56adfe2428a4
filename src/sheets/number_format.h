#pragma once
// How a number cell of a workbook shows under its number format, as the spreadsheet shows it in a Chinese
// locale: General without a spurious ".0", zero-padded staff numbers ("00000"), fixed decimals, percent, and
// dates and times from their serial day number. A format is compiled once into pieces and then rendered for
// each cell; what a list import cannot use (colours, conditions, scientific notation, fractions) renders as
// General or not at all.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

struct NumberFormat {
    enum class Piece : std::uint8_t {
        Text,
        Number,
        General,
        Year2,
        Year4,
        Month,
        Month2,
        MonthName,
        MonthLong,
        Day,
        Day2,
        WeekShort,
        WeekLong,
        WeekDigit,
        Hour,
        Hour2,
        Hours,
        Minute,
        Minute2,
        Second,
        Second2
    };
    struct Section {
        std::vector<std::pair<Piece, std::u16string>> pieces; // the text only for Text
        bool date = false;
        int minInt = 0, minDec = 0, maxDec = 0, percent = 0;
        bool grouping = false;
    };
    std::vector<Section> sections; // positive (and all when alone), negative, zero
};

NumberFormat compileNumberFormat(std::u16string_view code);
// The code of a built-in format number (those a workbook names by number only); empty for General.
std::u16string_view builtInNumberFormat(int id);

// At most 15 significant digits, no trailing zeros: 123.0 shows "123", 0.1 + 0.2 shows "0.3".
void appendGeneralNumber(std::u16string& out, double value);
// date1904: the workbook counts days from 1904-01-01 rather than from 1900.
void appendFormattedNumber(std::u16string& out, double value, const NumberFormat& format, bool date1904);

} // namespace kelvora
