#include "sheets/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kelvora {

namespace {

using Piece = NumberFormat::Piece;
using Section = NumberFormat::Section;

// The built-in formats as the Chinese edition defines them; times are shown in 24 hours.
constexpr std::array<std::pair<int, std::u16string_view>, 37> kBuiltIn{{
    {1, u"0"},          {2, u"0.00"},         {3, u"#,##0"},     {4, u"#,##0.00"},     {9, u"0%"},
    {10, u"0.00%"},     {14, u"yyyy/m/d"},    {15, u"d-mmm-yy"}, {16, u"d-mmm"},       {17, u"mmm-yy"},
    {18, u"h:mm"},      {19, u"h:mm:ss"},     {20, u"h:mm"},     {21, u"h:mm:ss"},     {22, u"yyyy/m/d h:mm"},
    {27, u"yyyy年m月"}, {28, u"m月d日"},      {29, u"m月d日"},   {30, u"m-d-yy"},      {31, u"yyyy年m月d日"},
    {32, u"h时mm分"},   {33, u"h时mm分ss秒"}, {34, u"h时mm分"},  {35, u"h时mm分ss秒"}, {36, u"yyyy年m月"},
    {45, u"mm:ss"},     {46, u"[h]:mm:ss"},   {47, u"mm:ss"},    {50, u"yyyy年m月"},   {51, u"m月d日"},
    {52, u"yyyy年m月"}, {53, u"m月d日"},      {54, u"m月d日"},   {55, u"h时mm分"},     {56, u"h时mm分ss秒"},
    {57, u"yyyy年m月"}, {58, u"m月d日"},
}};

// The piece a run of one date letter stands for, by the run's length (1, 2, 3, 4 or more).
struct DateLetter {
    char16_t letter;
    std::array<Piece, 4> byLength;
};
constexpr std::array<DateLetter, 6> kDateLetters{{
    {u'y', {Piece::Year2, Piece::Year2, Piece::Year4, Piece::Year4}},
    {u'm', {Piece::Month, Piece::Month2, Piece::MonthName, Piece::MonthLong}},
    {u'd', {Piece::Day, Piece::Day2, Piece::WeekShort, Piece::WeekLong}},
    {u'a', {Piece::Text, Piece::Text, Piece::WeekDigit, Piece::WeekLong}},
    {u'h', {Piece::Hour, Piece::Hour2, Piece::Hour2, Piece::Hour2}},
    {u's', {Piece::Second, Piece::Second2, Piece::Second2, Piece::Second2}},
}};

// How each date piece shows: which value (year % 100, year, month, day, hour, minute, second, elapsed hours,
// weekday from Sunday), in how many digits at least (0: a Chinese numeral), between which texts.
struct DateField {
    Piece piece;
    int value, width;
    std::u16string_view before, after;
};
constexpr std::array<DateField, 18> kDateFields{{
    {Piece::Year2, 0, 2, u"", u""},
    {Piece::Year4, 1, 4, u"", u""},
    {Piece::Month, 2, 1, u"", u""},
    {Piece::Month2, 2, 2, u"", u""},
    {Piece::MonthName, 2, 1, u"", u"月"},
    {Piece::MonthLong, 2, 0, u"", u"月"},
    {Piece::Day, 3, 1, u"", u""},
    {Piece::Day2, 3, 2, u"", u""},
    {Piece::WeekShort, 8, 0, u"周", u""},
    {Piece::WeekLong, 8, 0, u"星期", u""},
    {Piece::WeekDigit, 8, 0, u"", u""},
    {Piece::Hour, 4, 1, u"", u""},
    {Piece::Hour2, 4, 2, u"", u""},
    {Piece::Minute, 5, 1, u"", u""},
    {Piece::Minute2, 5, 2, u"", u""},
    {Piece::Second, 6, 1, u"", u""},
    {Piece::Second2, 6, 2, u"", u""},
    {Piece::Hours, 7, 1, u"", u""},
}};
constexpr std::u16string_view kNumerals = u"日一二三四五六七八九";

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view word) {
    return text.size() >= word.size() && std::equal(word.begin(), word.end(), text.begin(),
                                                    [](char16_t w, char16_t t) { return lower(t) == w; });
}

void appendAscii(std::u16string& out, const char* begin, const char* end) {
    out.append(begin, end);
}

void appendDigits(std::u16string& out, long long value, int width) {
    char buf[24];
    const char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(static_cast<std::size_t>(std::max<long>(0, width - (end - buf))), u'0');
    appendAscii(out, buf, end);
}

// "m" right after hours or right before seconds counts minutes.
void markMinutes(Section& s) {
    auto isDate = [](const std::pair<Piece, std::u16string>& p) { return p.first != Piece::Text; };
    Piece previous = Piece::Text;
    for (auto it = std::find_if(s.pieces.begin(), s.pieces.end(), isDate); it != s.pieces.end();) {
        const auto next = std::find_if(it + 1, s.pieces.end(), isDate);
        const bool afterHour =
            previous == Piece::Hour || previous == Piece::Hour2 || previous == Piece::Hours;
        const bool beforeSecond =
            next != s.pieces.end() && (next->first == Piece::Second || next->first == Piece::Second2);
        if ((it->first == Piece::Month || it->first == Piece::Month2) && (afterHour || beforeSecond))
            it->first = it->first == Piece::Month ? Piece::Minute : Piece::Minute2;
        previous = it->first;
        it = next;
    }
}

Section compileSection(std::u16string_view code) {
    Section s;
    auto add = [&s](Piece piece, std::u16string_view text = {}) {
        if (piece == Piece::Text && !s.pieces.empty() && s.pieces.back().first == Piece::Text)
            s.pieces.back().second += text;
        else
            s.pieces.emplace_back(piece, text);
    };
    const Section general{{{Piece::General, {}}}};
    bool number = false;
    for (std::size_t i = 0; i < code.size();) {
        const std::u16string_view rest = code.substr(i);
        const char16_t c = code[i];
        const auto letter = std::find_if(kDateLetters.begin(), kDateLetters.end(),
                                         [c](const DateLetter& d) { return d.letter == lower(c); });
        if (c == u'"') {
            const std::size_t close = std::min(code.find(u'"', i + 1), code.size());
            add(Piece::Text, code.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == u'\\' || c == u'_' ||
                   c == u'*') { // an escaped character; padding and fills show none
            if (c == u'\\' && i + 1 < code.size())
                add(Piece::Text, code.substr(i + 1, 1));
            i += 2;
        } else if (c == u'[') { // colours, conditions and locales show nothing; a currency shows its symbol
            const std::size_t close = std::min(code.find(u']', i), code.size());
            const std::u16string_view inner = code.substr(i + 1, close - i - 1);
            if (!inner.empty() && inner[0] == u'$')
                add(Piece::Text, inner.substr(1, inner.find(u'-') - 1));
            else if (!inner.empty() && lower(inner[0]) == u'h')
                add(Piece::Hours), s.date = true;
            i = close + 1;
        } else if (startsWithNoCase(rest, u"general") || c == u'@') {
            add(Piece::General);
            i += c == u'@' ? 1 : 7;
        } else if (startsWithNoCase(rest, u"am/pm") || rest.starts_with(u"上午/下午") ||
                   startsWithNoCase(rest, u"a/p")) {
            i += rest[1] == u'/' ? 3 : 5;
        } else if (letter != kDateLetters.end() && (lower(c) != u'a' || startsWithNoCase(rest, u"aaa"))) {
            std::size_t run = 1;
            while (run < rest.size() && lower(rest[run]) == letter->letter)
                ++run;
            add(letter->byLength[std::min<std::size_t>(run, 4) - 1]);
            s.date = true;
            i += run;
        } else if (s.date && c == u'.' && rest.starts_with(u".0")) {
            while (++i < code.size() && code[i] == u'0') // fractions of a second: shown rounded
                ;
        } else if (c == u'0' || c == u'#' || c == u'?' || (c == u'.' && !s.date)) {
            if (number)
                return general;
            for (bool fraction = false;
                 i < code.size() && std::u16string_view(u"0#?.,").find(code[i]) != rest.npos; ++i) {
                fraction |= code[i] == u'.';
                s.grouping |= code[i] == u',' && !fraction;
                (fraction ? s.minDec : s.minInt) += code[i] == u'0';
                s.maxDec += fraction && code[i] != u'.' && code[i] != u',';
            }
            add(Piece::Number);
            number = true;
        } else if (number && (lower(c) == u'e' || c == u'/')) {
            return general; // scientific notation and fractions: the number in full
        } else {
            s.percent += c == u'%';
            add(Piece::Text, code.substr(i, 1));
            ++i;
        }
    }
    markMinutes(s);
    return s;
}

// The digits before and after the point, rounded half away from zero at `decimals` places from the 15
// significant digits a spreadsheet keeps: 2.5 shows 3 and 1.005 shows 1.01 there, not 2 and 1.00.
std::pair<std::string, std::string> roundedDigits(double value, int decimals) {
    char buf[32];
    std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14); // d.ddddddddddddddE±XX
    std::string digits = buf[0] + std::string(buf + 2, buf + 16);
    int point = std::atoi(buf + 17) + 1; // how many digits stand before the point
    if (const int keep = point + decimals; keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        bool carry = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        for (auto it = digits.rbegin(); carry && it != digits.rend(); ++it)
            carry = (*it = *it == '9' ? '0' : static_cast<char>(*it + 1)) == '0';
        if (carry)
            digits.insert(0, 1, '1'), ++point;
    }
    if (point < 0)
        digits.insert(0, static_cast<std::size_t>(-point), '0'), point = 0;
    digits.resize(std::max(digits.size(), static_cast<std::size_t>(point + decimals)), '0');
    return {digits.substr(0, static_cast<std::size_t>(point)),
            digits.substr(static_cast<std::size_t>(point), static_cast<std::size_t>(decimals))};
}

void appendFixed(std::u16string& out, double value, const Section& s) {
    value = std::fabs(value) * std::pow(100.0, s.percent);
    if (value >= 1e15)
        return appendGeneralNumber(out, value);
    auto [whole, fraction] = roundedDigits(value, std::min(s.maxDec, 30));
    while (static_cast<int>(fraction.size()) > s.minDec && fraction.back() == '0')
        fraction.pop_back();
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    out.append(static_cast<std::size_t>(std::max(0, s.minInt - static_cast<int>(whole.size()))), u'0');
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (s.grouping && i > 0 && (whole.size() - i) % 3 == 0)
            out += u',';
        out += static_cast<char16_t>(whole[i]);
    }
    if (!fraction.empty()) {
        out += u'.';
        appendAscii(out, fraction.data(), fraction.data() + fraction.size());
    }
}

// The serial as a date and a time of day. The 1900 system counts a 1900-02-29 that never was (serial 60), so
// later serials are one day further from 1899-12-31 than the calendar says.
bool appendDate(std::u16string& out, double serial, bool date1904, const Section& s) {
    if (!(serial >= 0) || serial >= 2958466) // before the epoch or after 9999-12-31: the sheet shows ####
        return false;
    const long long seconds = std::llround(serial * 86400);
    const long long days = seconds / 86400, time = seconds % 86400;
    long long y = 1900, m = days == 60 ? 2 : 1, d = days == 60 ? 29 : 0; // serial 0 shows 1900/1/0
    if (date1904 || (days != 0 && days != 60)) {                         // days since 0000-03-01
        const long long z = days - (date1904 ? 24107 : days < 60 ? 25568 : 25569) + 719468;
        const long long era = z / 146097, doe = z - era * 146097;
        const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
        d = doy - (153 * mp + 2) / 5 + 1;
        m = mp < 10 ? mp + 3 : mp - 9;
        y = yoe + era * 400 + (m <= 2);
    }
    const long long values[] = {y % 100,
                                y,
                                m,
                                d,
                                time / 3600,
                                time / 60 % 60,
                                time % 60,
                                days * 24 + time / 3600,
                                (days + (date1904 ? 5 : 6)) % 7};
    for (const auto& [piece, text] : s.pieces) {
        const auto field = std::find_if(kDateFields.begin(), kDateFields.end(),
                                        [kind = piece](const DateField& f) { return f.piece == kind; });
        if (field == kDateFields.end()) { // text, or a number placed among the date's parts
            if (piece == Piece::Text)
                out += text;
            else
                appendGeneralNumber(out, serial);
            continue;
        }
        const long long value = values[field->value];
        out += field->before;
        if (field->width > 0)
            appendDigits(out, value, field->width);
        else if (value >= 10) // 十, 十一, 十二
            out.append(u"十").append(value > 10 ? kNumerals.substr(static_cast<std::size_t>(value - 10), 1)
                                                : u"");
        else
            out += kNumerals[static_cast<std::size_t>(value)];
        out += field->after;
    }
    return true;
}

} // namespace

NumberFormat compileNumberFormat(std::u16string_view code) {
    NumberFormat format; // no sections: General
    if (code.empty())
        return format;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= code.size() && format.sections.size() < 3; ++i) {
        if (i < code.size() && code[i] == u'"')
            quoted = !quoted;
        else if (i < code.size() && code[i] == u'\\')
            ++i;
        else if (i >= code.size() || (code[i] == u';' && !quoted)) {
            format.sections.push_back(compileSection(code.substr(start, std::min(i, code.size()) - start)));
            start = i + 1;
        }
    }
    return format;
}

std::u16string_view builtInNumberFormat(int id) {
    const auto it =
        std::find_if(kBuiltIn.begin(), kBuiltIn.end(), [id](const auto& entry) { return entry.first == id; });
    return it == kBuiltIn.end() ? std::u16string_view() : it->second;
}

void appendGeneralNumber(std::u16string& out, double value) {
    char buf[32];
    char* end =
        std::to_chars(buf, buf + sizeof buf, value == 0 ? 0.0 : value, std::chars_format::general, 15).ptr;
    std::replace(buf, end, 'e', 'E');
    appendAscii(out, buf, end);
}

void appendFormattedNumber(std::u16string& out, double value, const NumberFormat& format, bool date1904) {
    const std::vector<Section>& sections = format.sections;
    if (sections.empty())
        return appendGeneralNumber(out, value);
    const std::size_t pick = value < 0 && sections.size() > 1 ? 1 : value == 0 && sections.size() > 2 ? 2 : 0;
    const Section& s = sections[pick];
    const std::size_t start = out.size();
    if (s.date) {
        if (!appendDate(out, value, date1904, s))
            out.resize(start), appendGeneralNumber(out, value);
        return;
    }
    if (value < 0 && pick == 0)
        out += u'-';
    for (const auto& [piece, text] : s.pieces) {
        if (piece == Piece::Number)
            appendFixed(out, value, s);
        else if (piece == Piece::General)
            appendGeneralNumber(out, std::fabs(value));
        else
            out += text;
    }
}

} // namespace kelvora
