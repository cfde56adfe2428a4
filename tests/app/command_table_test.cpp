// The command table and the menus built from it: texts, separators, sub-menus and greying exactly as the
// operator sees them, and the accelerator tables.

#include <gtest/gtest.h>

#include <QKeySequence>
#include <QMenu>

#include <set>

#include "app/command_table.h"
#include "app_test_support.h"

namespace kelvora::test {
namespace {

std::vector<std::string> buildMenu(ContextMenu which, const std::function<bool(int)>& available,
                                   bool drawStarted, bool withState) {
    qtApp();
    QMenu menu;
    populateMenu(menu, contextMenuItems(which), available, [](int) {});
    updateMenuState(menu, drawStarted);
    return describeMenu(menu, withState);
}

const auto kEverything = [](int) { return true; };

TEST(CommandTable, MainMenuHoldsEveryEntryWithItsTextIndentAndSeparators) {
    const std::vector<std::string> expected{
        "参数设置/",
        "  奖项... \t F2",
        "  模式 && 名单... \t F3",
        "  界面... \t F4",
        "  音乐... \t F5",
        "  ---",
        "  参数备份与还原...",
        "  ---",
        "  高级/",
        "    翻页笔...",
        "    触摸屏...",
        "    双快捷键...",
        "---",
        "开始抽奖/",
        "  展示总名单/",
        "    展示 \t F6",
        "    设置...",
        "  ---",
        "  开始抽奖 \t 空格/PgDn/↓/双击",
        "        滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击",
        "        中奖名单管理... \t F7: 弃奖/导出/打印",
        "        回放/",
        "    全部奖项 \t Home",
        "    当前奖项 \t PgUp/↑",
        "    指定奖项...",
        "    ---",
        "    设置...",
        "        临时加奖等...",
        "  结束抽奖 \t Ctrl+F",
        "  ---",
        "  历史记录...",
        "---",
        "其它/",
        "  帮助/",
        "    使用指南 \t F1",
        "    ---",
        "    关于",
        "  ---",
        "  窗口化 \t F10",
        "  全屏化 \t F11",
        "  只显示到扩展屏 \t F12",
        "最小化 \t F9",
        "退出 \t Alt+F4",
    };
    EXPECT_EQ(buildMenu(ContextMenu::Main, kEverything, false, false), expected);
}

TEST(CommandTable, RollMenusHoldPauseCancelAndSettings) {
    EXPECT_EQ(buildMenu(ContextMenu::Replay, kEverything, true, false),
              (std::vector<std::string>{"播放/暂停 \t 空格/PgDn/↓/双击", "---", "取消回放 \t Esc", "---",
                                        "设置..."}));
    EXPECT_EQ(buildMenu(ContextMenu::FullList, kEverything, true, false),
              (std::vector<std::string>{"播放/暂停 \t 空格/PgDn/↓/双击", "---", "取消展示 \t Esc", "---",
                                        "设置..."}));
}

// Commands without an action leave no empty sub-menu, and no separator at an edge or beside another.
TEST(CommandTable, MissingCommandsLeaveNoEmptySubMenuOrStraySeparator) {
    const std::set<int> present{cmd::Backup, cmd::StartDraw, cmd::EndDraw, cmd::Exit};
    const auto available = [&](int id) { return present.count(id) != 0; };
    EXPECT_EQ(buildMenu(ContextMenu::Main, available, false, false),
              (std::vector<std::string>{"参数设置/", "  参数备份与还原...", "---", "开始抽奖/",
                                        "  开始抽奖 \t 空格/PgDn/↓/双击", "  结束抽奖 \t Ctrl+F", "---",
                                        "退出 \t Alt+F4"}));
    EXPECT_EQ(buildMenu(
                  ContextMenu::Replay, [](int id) { return id == cmd::ReplayCancel; }, true, false),
              (std::vector<std::string>{"取消回放 \t Esc"}));
}

TEST(CommandTable, GreyingFollowsWhetherADrawIsStarted) {
    const auto greyed = [](bool drawStarted) {
        std::set<std::string> out;
        for (const std::string& line : buildMenu(ContextMenu::Main, kEverything, drawStarted, true)) {
            const auto at = line.find(" [grey]");
            if (at != std::string::npos)
                out.insert(line.substr(line.find_first_not_of(' '), at - line.find_first_not_of(' ')));
        }
        return out;
    };
    EXPECT_EQ(greyed(false), (std::set<std::string>{
                                 "滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击",
                                 "中奖名单管理... \t F7: 弃奖/导出/打印",
                                 "临时加奖等...",
                                 "结束抽奖 \t Ctrl+F",
                                 "全部奖项 \t Home",
                                 "当前奖项 \t PgUp/↑",
                                 "指定奖项...",
                             }));
    EXPECT_EQ(greyed(true), (std::set<std::string>{"开始抽奖 \t 空格/PgDn/↓/双击"}));
}

std::map<std::string, int> keyMap(std::span<const Accelerator> table) {
    std::map<std::string, int> out;
    for (const Accelerator& a : table) {
        // Two entries on one key make Qt treat the shortcut as ambiguous, and neither would fire.
        const std::string normalised =
            QKeySequence(QString::fromLatin1(a.keys.data(), a.keys.size())).toString().toStdString();
        EXPECT_FALSE(normalised.empty()) << a.keys;
        EXPECT_TRUE(out.emplace(normalised, a.id).second) << "duplicate key " << a.keys;
    }
    return out;
}

TEST(CommandTable, EveryFunctionKeyWorksAloneAndWithCtrl) {
    const auto keys = keyMap(normalAccelerators());
    const std::map<int, int> functionKeys{
        {2, cmd::PrizeSettings},   {3, cmd::DrawModeSettings}, {4, cmd::InterfaceSettings},
        {5, cmd::MusicSettings},   {6, cmd::ShowFullList},     {7, cmd::Winners},
        {9, cmd::Minimize},        {10, cmd::Windowed},        {11, cmd::FullScreen},
        {12, cmd::ExtendedScreen},
    };
    for (const auto& [n, id] : functionKeys) {
        const std::string alone = "F" + std::to_string(n);
        EXPECT_EQ(keys.at(alone), id) << alone;
        EXPECT_EQ(keys.at("Ctrl+" + alone), id) << "Ctrl+" << alone;
    }
    EXPECT_EQ(keys.at("F1"), cmd::Help);
    EXPECT_EQ(keys.count("Ctrl+F1"), 0u);
    EXPECT_EQ(keys.count("F8"), 0u);
    EXPECT_EQ(keys.at("Ctrl+F"), cmd::EndDraw);
    EXPECT_EQ(keys.at("Ctrl+Alt+C"), cmd::ClearLists);
    EXPECT_EQ(keys.at("Home"), cmd::ReplayAll);
    EXPECT_EQ(keys.at("PgUp"), cmd::ReplayCurrent);
    EXPECT_EQ(keys.at("Up"), cmd::ReplayCurrent);
}

TEST(CommandTable, RollTableOnlyKeepsMusicKeysAndListClearing) {
    const auto keys = keyMap(rollAccelerators());
    EXPECT_EQ(keys, (std::map<std::string, int>{{"Ctrl+1", cmd::BackgroundMusic1},
                                                {"Ctrl+2", cmd::BackgroundMusic2},
                                                {"Ctrl+3", cmd::BackgroundMusic3},
                                                {"Ctrl+Alt+C", cmd::ClearLists}}));
    // Whatever rolls, these keys must do the same as without a roll.
    const auto normal = keyMap(normalAccelerators());
    for (const auto& [key, id] : keys)
        EXPECT_EQ(normal.at(key), id) << key;
}

} // namespace
} // namespace kelvora::test
