#include "app/command_line.h"

#include <charconv>
#include <cstdio>

#include "platform/text.h"
#include "rehearsal/event_check.h"

namespace kelvora {

namespace {

template <class T> bool parseNumber(const std::string& text, T& value, T low, T high) {
    T parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

CommandLine refused(std::string why) {
    CommandLine line;
    line.action = CommandLine::Action::Usage;
    line.error = std::move(why);
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool checkOnly = false; // an option that only means something with --check
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0)
            continue;
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--check") {
            line.action = CommandLine::Action::Check;
        } else if (arg == "--json") {
            line.json = checkOnly = true;
        } else if (arg == "--data") {
            if (!value(text) || text.empty())
                return refused("--data needs a folder");
            line.data = text;
        } else if (arg == "--dry-runs") {
            if (!value(text) || !parseNumber(text, line.dryRuns, 0, 1'000'000))
                return refused("--dry-runs needs a number from 0 to 1000000");
            checkOnly = true;
        } else if (arg == "--seed") {
            if (!value(text) || !parseNumber<std::uint32_t>(text, line.seed, 0, UINT32_MAX))
                return refused("--seed needs a number from 0 to 4294967295");
            checkOnly = true;
        } else {
            return refused("unknown option " + arg);
        }
    }
    if (checkOnly && line.action != CommandLine::Action::Check)
        return refused("--json, --dry-runs and --seed go with --check");
    return line;
}

std::string usageText() {
    return "usage: kelvora [--data DIR]\n"
           "       kelvora --check [--data DIR] [--dry-runs N] [--seed S] [--json]\n"
           "\n"
           "  --data DIR    the folder holding the program's data (default: the program's folder)\n"
           "  --check       check the event in the data folder before the show: prizes against the name\n"
           "                list, black and white lists, the saved draw, and N dry runs of the whole event\n"
           "                (default 1000) with Caps Lock on; exits 1 when it finds an error\n"
           "  --seed S      the dry runs' random seed (default 1)\n"
           "  --json        the report as JSON\n";
}

int runCheck(const CommandLine& line, const std::filesystem::path& programFolder) {
    const DataPaths paths(line.data.empty() ? programFolder : line.data);
    EventCheckOptions options;
    options.dryRun.runs = line.dryRuns;
    options.dryRun.seed = line.seed;
    const EventCheck check = checkEvent(paths, options);
    if (line.json) {
        std::fputs(findingsJson(check.findings).c_str(), stdout);
    } else {
        for (const Finding& finding : check.findings)
            std::printf("%s\n", toUtf8(findingLine(finding)).c_str());
        std::printf("%s\n", toUtf8(formatText(u"检查完毕: %s 个问题，试抽 %s 次",
                                              {decimalText(static_cast<long long>(check.findings.size())),
                                               decimalText(check.dryRun.runs)}))
                                .c_str());
    }
    return hasErrors(check.findings) ? 1 : 0;
}

} // namespace kelvora
