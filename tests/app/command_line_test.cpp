// The program's options: what each argument list asks for, and the refusals that end in the usage text.

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace kelvora::test {
namespace {

TEST(CommandLineTest, EachArgumentListAsksForWhatItSays) {
    using Action = CommandLine::Action;
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string data;
        int dryRuns;
        std::uint32_t seed;
        bool json;
    };
    const Case cases[] = {
        {{}, Action::Run, "", 1000, 1, false},
        {{"-platform", "offscreen"}, Action::Run, "", 1000, 1, false},
        {{"--data", "/srv/晚会"}, Action::Run, "/srv/晚会", 1000, 1, false},
        {{"--check"}, Action::Check, "", 1000, 1, false},
        {{"--dry-runs", "0", "--check", "--json", "--seed", "4294967295", "--data", "d"},
         Action::Check,
         "d",
         0,
         4294967295u,
         true},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << line.error;
        EXPECT_EQ(line.data, std::filesystem::path(c.data));
        EXPECT_EQ(line.dryRuns, c.dryRuns);
        EXPECT_EQ(line.seed, c.seed);
        EXPECT_EQ(line.json, c.json);
    }
    const CommandLine import =
        parseCommandLine({"--header", "--import-list", "名单.xlsx", "--columns", "3,1", "--sheet", "员工"});
    EXPECT_EQ(import.action, Action::ImportList) << import.error;
    EXPECT_EQ(import.file, std::filesystem::path("名单.xlsx"));
    EXPECT_EQ(import.columns, (std::vector<int>{2, 0}));
    EXPECT_EQ(import.sheet, "员工");
    EXPECT_TRUE(import.header);
    EXPECT_EQ(parseCommandLine({"--export-winners", "w.xlsx"}).action, Action::ExportWinners);
    const CommandLine unpack = parseCommandLine({"--data", "d", "--unpack", "年会.kelvora"});
    EXPECT_EQ(unpack.action, Action::Unpack) << unpack.error;
    EXPECT_EQ(unpack.file, std::filesystem::path("年会.kelvora"));
    EXPECT_EQ(parseCommandLine({"--pack", "p.kelvora"}).action, Action::Pack);
    const CommandLine elsewhere = parseCommandLine({"--folder", "/media/u盘/抽奖", "--check"});
    EXPECT_EQ(elsewhere.action, Action::Check) << elsewhere.error;
    EXPECT_EQ(elsewhere.folder, std::filesystem::path("/media/u盘/抽奖"));

    const CommandLine sized = parseCommandLine({"--check", "--screen", "1280x720"});
    EXPECT_EQ(sized.screenWidth, 1280);
    EXPECT_EQ(sized.screenHeight, 720);

    const std::vector<std::vector<std::string>> refused = {
        {"--chek"},
        {"--check", "--data"},
        {"--check", "--dry-runs", "-1"},
        {"--check", "--dry-runs", "12x"},
        {"--check", "--seed", "4294967296"},
        {"--json"},
        {"--import-list"},
        {"--import-list", "a.xlsx", "--check"},
        {"--import-list", "a.xlsx", "--columns", "0"},
        {"--import-list", "a.xlsx", "--columns", "1,,2"},
        {"--export-winners", "w.xlsx", "--header"},
        {"--header"},
        {"--pack"},
        {"--pack", "a.kelvora", "--unpack", "b.kelvora"},
        {"--unpack", "b.kelvora", "--sheet", "x"},
        {"--check", "--folder"},
    };
    for (const auto& args : refused) {
        const CommandLine line = parseCommandLine(args);
        EXPECT_EQ(line.action, Action::Usage) << args.front();
        EXPECT_FALSE(line.error.empty());
    }
}

} // namespace
} // namespace kelvora::test
