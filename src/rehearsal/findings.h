#pragma once
// What the pre-show check reports: one finding a line, like a compiler's diagnostics, the most serious first,
// each saying where, what is wrong and what to do. The same text goes to the dialog and to the command line.

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

enum class Severity { Error, Warning, Note };

// The editor where a finding is fixed: the prizes (F2), the draw mode and name list (F3), the look (F4), the
// music (F5), or none of them.
enum class FixPlace { None, Prizes, Names, Look, Music };

struct Finding {
    Severity severity = Severity::Note;
    std::u16string where; // "一等奖", "名单", "音乐"
    std::u16string what;  // "名额 30 > 可中奖人数 26"
    std::u16string fix;   // "减少名额或添加名单"
    FixPlace place = FixPlace::None;
    friend bool operator==(const Finding&, const Finding&) = default;
};

using Findings = std::vector<Finding>;

// "错误", "警告", "提示".
std::u16string_view severityText(Severity severity);
// "错误 一等奖: 名额 30 > 可中奖人数 26 → 减少名额或添加名单"
std::u16string findingLine(const Finding& finding);
// Errors first, then warnings, then notes; the order within each kept.
void sortFindings(Findings& findings);
bool hasErrors(const Findings& findings);
// The findings as a JSON array of {"severity","where","what","fix"} (severity "error", "warning", "note").
std::string findingsJson(const Findings& findings);

} // namespace kelvora
