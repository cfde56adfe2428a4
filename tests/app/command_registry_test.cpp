// The command registry with the program's own declarations and those of the features still to come: the
// menus exactly as the operator sees them (texts, keys, indents, separators, greying), and the keys: every
// key a menu shows fires that command, and no key means two things in one key table.

#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTest>

#include <map>
#include <set>

#include "app/application.h"
#include "app/context_menu.h"
#include "app_test_support.h"
#include "draw_fixture.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

// The commands whose features are not part of the program yet, declared as those features will declare them.
// A command the program registers keeps the program's declaration.
void declareComingCommands(CommandRegistry& registry) {
    CommandRegistry coming;
    const auto dialog = [&](CommandId id, std::u16string_view text, Qt::Key key, MenuPlace place) {
        coming.add(id).text(text).functionKey(key).inMenu(place);
    };
    dialog(CommandId::PrizeSettings, u"奖项...", Qt::Key_F2, MenuPlace::SettingsDialogs);
    dialog(CommandId::DrawModeSettings, u"模式 && 名单...", Qt::Key_F3, MenuPlace::SettingsDialogs);
    dialog(CommandId::InterfaceSettings, u"界面...", Qt::Key_F4, MenuPlace::SettingsDialogs);
    dialog(CommandId::MusicSettings, u"音乐...", Qt::Key_F5, MenuPlace::SettingsDialogs);
    dialog(CommandId::ShowFullList, u"展示", Qt::Key_F6, MenuPlace::FullList);
    coming.add(CommandId::FullListSettings)
        .text(u"设置...")
        .inMenu(MenuPlace::FullList)
        .inMenu(MenuPlace::FullListRollSettings);
    coming.add(CommandId::Winners)
        .text(u"      中奖名单管理...")
        .functionKey(Qt::Key_F7)
        .keyNote(u": 弃奖/导出/打印")
        .inMenu(MenuPlace::DrawSteps)
        .available(Availability::DuringDraw);
    coming.add(CommandId::ReplayAll)
        .text(u"全部奖项")
        .key(Qt::Key_Home)
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw);
    coming.add(CommandId::ReplayCurrent)
        .text(u"当前奖项")
        .key(Qt::Key_PageUp)
        .key(Qt::Key_Up)
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw);
    coming.add(CommandId::ReplayChosen)
        .text(u"指定奖项...")
        .inMenu(MenuPlace::Replay)
        .available(Availability::DuringDraw);
    coming.add(CommandId::PlaybackSettings)
        .text(u"设置...")
        .inMenu(MenuPlace::ReplaySettings)
        .inMenu(MenuPlace::ReplayRollSettings);
    coming.add(CommandId::ReplayPause)
        .text(u"播放/暂停")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::ReplayRollPlay);
    coming.add(CommandId::ReplayCancel)
        .text(u"取消回放")
        .input(ScreenInput::Escape)
        .inMenu(MenuPlace::ReplayRollCancel);
    coming.add(CommandId::FullListPause)
        .text(u"播放/暂停")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::FullListRollPlay);
    coming.add(CommandId::FullListCancel)
        .text(u"取消展示")
        .input(ScreenInput::Escape)
        .inMenu(MenuPlace::FullListRollCancel);
    const Qt::Key musicKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3};
    for (int i = 0; i < 3; ++i) {
        CommandBuilder music =
            coming.add(static_cast<CommandId>(static_cast<int>(CommandId::BackgroundMusic1) + i))
                .key(Qt::CTRL | musicKeys[i])
                .alsoWhileRolling();
        if (i == 0)
            music.extraKey(Qt::Key_Tab);
    }
    for (const auto& [id, command] : coming.commands()) {
        if (!registry.contains(id)) {
            registry.add(id);
            *registry.find(id) = command;
        }
    }
}

std::string normalised(const QKeySequence& keys) {
    return keys.toString(QKeySequence::PortableText).toStdString();
}

std::map<std::string, CommandId> keyMap(const CommandRegistry& registry, KeyTable table) {
    std::map<std::string, CommandId> out;
    for (const KeyBinding& binding : registry.bindings(table))
        out.emplace(normalised(binding.keys), binding.id);
    return out;
}

class CommandRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        records.prizes = {makePrize(u"一等奖", 2, 1)};
        records.textList.entries = makeNames(5);
        records.drawMode.mode = kTextMode;
        declareComingCommands(commands);
        window.rebuildAccelerators();
    }

    std::vector<std::string> menuLines(ContextMenu which, bool drawStarted) {
        std::unique_ptr<QMenu> menu = buildContextMenu(commands, which, nullptr, [](CommandId) {});
        updateMenuState(*menu, commands, drawStarted);
        return describeMenu(*menu, true);
    }

    // The draw started or not; the registry's actions are left alone.
    void setDrawStarted(bool started) {
        DrawRun& run = controller.run();
        if (started && !run.drawStarted())
            run.startDraw();
        else if (!started)
            run.end();
        ASSERT_EQ(run.drawStarted(), started);
    }

    QApplication& app = qtApp(); // before any widget member
    TempDir dir;
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    FakeCapsLock capsLock;
    FakeClock clock;
    Random15 random{clock};
    Application program{dir.path(), AppServices{messages, files, capsLock, clock, random}};
    AppRecords& records = program.records();
    ShowController& controller = program.controller();
    CommandRegistry& commands = program.commands();
    MainWindow& window = program.mainWindow();
};

TEST_F(CommandRegistryTest, MainMenuHoldsEveryEntryWithItsKeysIndentAndSeparators) {
    const std::vector<std::string> expected{
        "参数设置/",
        "  奖项... \t F2",
        "  模式 && 名单... \t F3",
        "  界面... \t F4",
        "  音乐... \t F5",
        "  导播台... \t F8",
        "  彩排检查...",
        "  彩排模式...",
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
        "        滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击 [grey]",
        "        中奖名单管理... \t F7: 弃奖/导出/打印 [grey]",
        "        回放/",
        "    全部奖项 \t Home [grey]",
        "    当前奖项 \t PgUp/↑ [grey]",
        "    指定奖项... [grey]",
        "    ---",
        "    设置...",
        "        临时加奖等... [grey]",
        "  结束抽奖 \t Ctrl+F [grey]",
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
    EXPECT_EQ(menuLines(ContextMenu::Main, false), expected);
}

TEST_F(CommandRegistryTest, DuringADrawOnlyStartingIsGreyed) {
    std::set<std::string> greyed;
    for (const std::string& line : menuLines(ContextMenu::Main, true)) {
        const auto at = line.find(" [grey]");
        if (at != std::string::npos)
            greyed.insert(line.substr(line.find_first_not_of(' '), at - line.find_first_not_of(' ')));
    }
    EXPECT_EQ(greyed, (std::set<std::string>{"开始抽奖 \t 空格/PgDn/↓/双击"}));
}

TEST_F(CommandRegistryTest, RollMenusHoldPauseCancelAndSettings) {
    EXPECT_EQ(menuLines(ContextMenu::Replay, true),
              (std::vector<std::string>{"播放/暂停 \t 空格/PgDn/↓/双击", "---", "取消回放 \t Esc", "---",
                                        "设置..."}));
    EXPECT_EQ(menuLines(ContextMenu::FullList, true),
              (std::vector<std::string>{"播放/暂停 \t 空格/PgDn/↓/双击", "---", "取消展示 \t Esc", "---",
                                        "设置..."}));
}

// Commands nobody registered leave no empty sub-menu, and no separator at an edge or beside another.
TEST(ContextMenuLayout, MissingCommandsLeaveNoEmptySubMenuOrStraySeparator) {
    qtApp();
    CommandRegistry few;
    few.add(CommandId::Backup).text(u"参数备份与还原...").inMenu(MenuPlace::Backup);
    few.add(CommandId::StartDraw).text(u"开始抽奖").input(ScreenInput::Advance).inMenu(MenuPlace::DrawSteps);
    few.add(CommandId::EndDraw).text(u"结束抽奖").key(Qt::CTRL | Qt::Key_F).inMenu(MenuPlace::DrawEnd);
    few.add(CommandId::Exit).text(u"退出").key(Qt::ALT | Qt::Key_F4).inMenu(MenuPlace::Window);
    const auto lines = [&few](ContextMenu which) {
        return describeMenu(*buildContextMenu(few, which, nullptr, [](CommandId) {}));
    };
    EXPECT_EQ(lines(ContextMenu::Main),
              (std::vector<std::string>{"参数设置/", "  参数备份与还原...", "---", "开始抽奖/",
                                        "  开始抽奖 \t 空格/PgDn/↓/双击", "  结束抽奖 \t Ctrl+F", "---",
                                        "退出 \t Alt+F4"}));
    few.add(CommandId::ReplayCancel)
        .text(u"取消回放")
        .input(ScreenInput::Escape)
        .inMenu(MenuPlace::ReplayRollCancel);
    EXPECT_EQ(lines(ContextMenu::Replay), (std::vector<std::string>{"取消回放 \t Esc"}));
}

TEST_F(CommandRegistryTest, FunctionKeysWorkAloneAndWithCtrl) {
    const auto keys = keyMap(commands, KeyTable::Normal);
    const std::map<int, CommandId> functionKeys{
        {2, CommandId::PrizeSettings},    {3, CommandId::DrawModeSettings}, {4, CommandId::InterfaceSettings},
        {5, CommandId::MusicSettings},    {6, CommandId::ShowFullList},     {7, CommandId::Winners},
        {8, CommandId::PresenterConsole}, {9, CommandId::Minimize},         {10, CommandId::Windowed},
        {11, CommandId::FullScreen},      {12, CommandId::ExtendedScreen},
    };
    for (const auto& [n, id] : functionKeys) {
        const std::string alone = "F" + std::to_string(n);
        EXPECT_EQ(keys.at(alone), id) << alone;
        EXPECT_EQ(keys.at("Ctrl+" + alone), id) << "Ctrl+" << alone;
    }
    EXPECT_EQ(keys.at("F1"), CommandId::Help);
    EXPECT_EQ(keys.count("Ctrl+F1"), 0u);
    EXPECT_EQ(keys.at("Ctrl+F"), CommandId::EndDraw);
    EXPECT_EQ(keys.at("Ctrl+Alt+C"), CommandId::ClearLists);
}

TEST_F(CommandRegistryTest, RollTableKeepsOnlyMusicKeysListClearingExitAndTheConsole) {
    const auto keys = keyMap(commands, KeyTable::Roll);
    EXPECT_EQ(keys, (std::map<std::string, CommandId>{{"Ctrl+1", CommandId::BackgroundMusic1},
                                                      {"Tab", CommandId::BackgroundMusic1},
                                                      {"Ctrl+2", CommandId::BackgroundMusic2},
                                                      {"Ctrl+3", CommandId::BackgroundMusic3},
                                                      {"Ctrl+Alt+C", CommandId::ClearLists},
                                                      {"Alt+F4", CommandId::Exit},
                                                      {"F8", CommandId::PresenterConsole},
                                                      {"Ctrl+F8", CommandId::PresenterConsole}}));
    // Whatever rolls, these keys must do the same as without a roll.
    const auto normal = keyMap(commands, KeyTable::Normal);
    for (const auto& [key, id] : keys)
        EXPECT_EQ(normal.at(key), id) << key;
}

// Two bindings of one key make Qt treat the shortcut as ambiguous, and neither fires; a key the screen reads
// itself (the advance keys, Esc) would be taken by the shortcut before the screen sees it.
TEST_F(CommandRegistryTest, NoKeyIsBoundTwiceInOneTable) {
    std::set<std::string> screenKeys;
    for (Qt::Key key : advanceKeys())
        screenKeys.insert(normalised(key));
    screenKeys.insert(normalised(Qt::Key_Escape));
    for (KeyTable table : {KeyTable::Normal, KeyTable::Roll}) {
        std::set<std::string> seen = screenKeys;
        for (const KeyBinding& binding : commands.bindings(table)) {
            const std::string keys = normalised(binding.keys);
            EXPECT_FALSE(keys.empty());
            EXPECT_TRUE(seen.insert(keys).second)
                << keys << " twice in the " << (table == KeyTable::Roll ? "roll" : "normal") << " table";
        }
    }
}

// What the operator reads after the tab of an entry is what works: each key of each entry offered in each
// menu, pressed on the draw screen while that menu is the one a right click shows, runs that entry's command
// and nothing else.
TEST_F(CommandRegistryTest, EveryKeyShownInAMenuFiresThatCommand) {
    std::vector<CommandId> fired;
    for (const auto& [id, command] : commands.commands()) {
        const CommandId which = id;
        commands.find(id)->action = [&fired, which] { fired.push_back(which); };
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const auto press = [this](const QString& label) {
        static const std::map<QString, Qt::Key> named{{QStringLiteral("空格"), Qt::Key_Space},
                                                      {QStringLiteral("PgDn"), Qt::Key_PageDown},
                                                      {QStringLiteral("↓"), Qt::Key_Down},
                                                      {QStringLiteral("↑"), Qt::Key_Up}};
        if (label == QStringLiteral("双击")) {
            QTest::mouseDClick(&window, Qt::LeftButton);
        } else if (const auto it = named.find(label); it != named.end()) {
            QTest::keyClick(&window, it->second);
        } else {
            const QKeySequence keys = QKeySequence::fromString(label, QKeySequence::PortableText);
            ASSERT_EQ(keys.count(), 1) << label.toStdString();
            QTest::keyClick(&window, keys[0].key(), keys[0].keyboardModifiers());
        }
    };

    int checked = 0;
    for (ContextMenu shown : {ContextMenu::Main, ContextMenu::Replay, ContextMenu::FullList}) {
        controller.setRollViews(shown == ContextMenu::Replay, shown == ContextMenu::FullList);
        for (bool drawStarted : {false, true}) {
            setDrawStarted(drawStarted);
            std::unique_ptr<QMenu> menu = window.createContextMenu();
            Q_EMIT menu->aboutToShow();
            std::vector<QAction*> entries;
            for (std::vector<QMenu*> open{menu.get()}; !open.empty();) {
                QMenu* at = open.back();
                open.pop_back();
                for (QAction* action : at->actions()) {
                    if (action->menu())
                        open.push_back(action->menu());
                    else if (action->isEnabled() && action->text().contains(u'\t'))
                        entries.push_back(action);
                }
            }
            for (QAction* entry : entries) {
                const CommandId id = static_cast<CommandId>(entry->data().toInt());
                const QString shownKeys = entry->text().section(u'\t', 1).section(u':', 0, 0).trimmed();
                for (const QString& label : shownKeys.split(u'/')) {
                    fired.clear();
                    press(label);
                    EXPECT_EQ(fired, std::vector<CommandId>{id})
                        << entry->text().toStdString() << ": " << label.toStdString()
                        << (drawStarted ? ", during a draw" : ", before a draw");
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 30);
}

} // namespace
} // namespace kelvora::test
