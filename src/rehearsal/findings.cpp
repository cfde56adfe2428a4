#include "rehearsal/findings.h"

#include <algorithm>

#include "platform/text.h"

namespace kelvora {

std::u16string_view severityText(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return u"错误";
    case Severity::Warning:
        return u"警告";
    case Severity::Note:
        break;
    }
    return u"提示";
}

std::u16string findingLine(const Finding& f) {
    std::u16string line(severityText(f.severity));
    line.push_back(u' ');
    line += f.where;
    line += u": ";
    line += f.what;
    if (!f.fix.empty()) {
        line += u" → ";
        line += f.fix;
    }
    return line;
}

void sortFindings(Findings& findings) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.severity < b.severity; });
}

bool hasErrors(const Findings& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity == Severity::Error; });
}

namespace {

void appendJsonString(std::string& out, std::u16string_view text) {
    out.push_back('"');
    for (const char c : toUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

} // namespace

std::string findingsJson(const Findings& findings) {
    std::string out = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"severity\": ";
        out += f.severity == Severity::Error     ? "\"error\""
               : f.severity == Severity::Warning ? "\"warning\""
                                                 : "\"note\"";
        out += ", \"where\": ";
        appendJsonString(out, f.where);
        out += ", \"what\": ";
        appendJsonString(out, f.what);
        out += ", \"fix\": ";
        appendJsonString(out, f.fix);
        out.push_back('}');
    }
    out += findings.empty() ? "]\n" : "\n]\n";
    return out;
}

} // namespace kelvora
