#include "app/command_table.h"

#include <QAction>
#include <QMenu>

#include <array>

#include "app/qt_text.h"

namespace kelvora {

namespace {

constexpr std::array kCommands{
    CommandEntry{cmd::PrizeSettings, u"奖项... \t F2"},
    CommandEntry{cmd::DrawModeSettings, u"模式 && 名单... \t F3"},
    CommandEntry{cmd::InterfaceSettings, u"界面... \t F4"},
    CommandEntry{cmd::MusicSettings, u"音乐... \t F5"},
    CommandEntry{cmd::Backup, u"参数备份与还原..."},
    CommandEntry{cmd::RemoteInfo, u"翻页笔..."},
    CommandEntry{cmd::TouchInfo, u"触摸屏..."},
    CommandEntry{cmd::DoubleKeysInfo, u"双快捷键..."},
    CommandEntry{cmd::ShowFullList, u"展示 \t F6"},
    CommandEntry{cmd::FullListSettings, u"设置..."},
    CommandEntry{cmd::StartDraw, u"开始抽奖 \t 空格/PgDn/↓/双击"},
    CommandEntry{cmd::AdvanceDraw, u"      滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击"},
    CommandEntry{cmd::Winners, u"      中奖名单管理... \t F7: 弃奖/导出/打印"},
    CommandEntry{cmd::ReplayAll, u"全部奖项 \t Home"},
    CommandEntry{cmd::ReplayCurrent, u"当前奖项 \t PgUp/↑"},
    CommandEntry{cmd::ReplayChosen, u"指定奖项..."},
    CommandEntry{cmd::PlaybackSettings, u"设置..."},
    CommandEntry{cmd::AddPrizeHint, u"      临时加奖等..."},
    CommandEntry{cmd::EndDraw, u"结束抽奖 \t Ctrl+F"},
    CommandEntry{cmd::History, u"历史记录..."},
    CommandEntry{cmd::Help, u"使用指南 \t F1"},
    CommandEntry{cmd::About, u"关于"},
    CommandEntry{cmd::Windowed, u"窗口化 \t F10"},
    CommandEntry{cmd::FullScreen, u"全屏化 \t F11"},
    CommandEntry{cmd::ExtendedScreen, u"只显示到扩展屏 \t F12"},
    CommandEntry{cmd::Minimize, u"最小化 \t F9"},
    CommandEntry{cmd::Exit, u"退出 \t Alt+F4"},
    CommandEntry{cmd::ReplayPause, u"播放/暂停 \t 空格/PgDn/↓/双击"},
    CommandEntry{cmd::ReplayCancel, u"取消回放 \t Esc"},
    CommandEntry{cmd::FullListPause, u"播放/暂停 \t 空格/PgDn/↓/双击"},
    CommandEntry{cmd::FullListCancel, u"取消展示 \t Esc"},
    CommandEntry{cmd::ClearLists, u""},
    CommandEntry{cmd::BackgroundMusic1, u""},
    CommandEntry{cmd::BackgroundMusic2, u""},
    CommandEntry{cmd::BackgroundMusic3, u""},
};

constexpr std::array kRollAccelerators{
    Accelerator{"Ctrl+1", cmd::BackgroundMusic1},
    Accelerator{"Ctrl+2", cmd::BackgroundMusic2},
    Accelerator{"Ctrl+3", cmd::BackgroundMusic3},
    Accelerator{"Ctrl+Alt+C", cmd::ClearLists},
};

constexpr std::array kNormalAccelerators{
    Accelerator{"Ctrl+1", cmd::BackgroundMusic1},
    Accelerator{"Ctrl+2", cmd::BackgroundMusic2},
    Accelerator{"Ctrl+3", cmd::BackgroundMusic3},
    Accelerator{"Ctrl+Alt+C", cmd::ClearLists},
    Accelerator{"Ctrl+F", cmd::EndDraw},
    Accelerator{"F1", cmd::Help},
    Accelerator{"F2", cmd::PrizeSettings},
    Accelerator{"Ctrl+F2", cmd::PrizeSettings},
    Accelerator{"F3", cmd::DrawModeSettings},
    Accelerator{"Ctrl+F3", cmd::DrawModeSettings},
    Accelerator{"F4", cmd::InterfaceSettings},
    Accelerator{"Ctrl+F4", cmd::InterfaceSettings},
    Accelerator{"F5", cmd::MusicSettings},
    Accelerator{"Ctrl+F5", cmd::MusicSettings},
    Accelerator{"F6", cmd::ShowFullList},
    Accelerator{"Ctrl+F6", cmd::ShowFullList},
    Accelerator{"F7", cmd::Winners},
    Accelerator{"Ctrl+F7", cmd::Winners},
    Accelerator{"F9", cmd::Minimize},
    Accelerator{"Ctrl+F9", cmd::Minimize},
    Accelerator{"F10", cmd::Windowed},
    Accelerator{"Ctrl+F10", cmd::Windowed},
    Accelerator{"F11", cmd::FullScreen},
    Accelerator{"Ctrl+F11", cmd::FullScreen},
    Accelerator{"F12", cmd::ExtendedScreen},
    Accelerator{"Ctrl+F12", cmd::ExtendedScreen},
    Accelerator{"Home", cmd::ReplayAll},
    Accelerator{"PgUp", cmd::ReplayCurrent},
    Accelerator{"Up", cmd::ReplayCurrent},
};

constexpr MenuItem command(int id) {
    return MenuItem{MenuItem::Kind::Command, id};
}
constexpr MenuItem separator() {
    return MenuItem{MenuItem::Kind::Separator};
}
constexpr MenuItem subMenu(std::u16string_view title, std::span<const MenuItem> children) {
    return MenuItem{MenuItem::Kind::SubMenu, 0, title, children};
}

// The maker's contact form for customised versions, and the maker's web site and contact page in the help
// sub-menu, have no counterpart here: there is no maker's site to open.
constexpr std::array kAdvancedMenu{
    command(cmd::RemoteInfo),
    command(cmd::TouchInfo),
    command(cmd::DoubleKeysInfo),
};

constexpr std::array kSettingsMenu{
    command(cmd::PrizeSettings),
    command(cmd::DrawModeSettings),
    command(cmd::InterfaceSettings),
    command(cmd::MusicSettings),
    separator(),
    command(cmd::Backup),
    separator(),
    subMenu(u"高级", kAdvancedMenu),
};

constexpr std::array kFullListMenu{
    command(cmd::ShowFullList),
    command(cmd::FullListSettings),
};

constexpr std::array kReplayMenu{
    command(cmd::ReplayAll),        command(cmd::ReplayCurrent), command(cmd::ReplayChosen), separator(),
    command(cmd::PlaybackSettings),
};

// The six leading spaces of some entries indent them under "开始抽奖": they act on a draw already started.
constexpr std::array kDrawMenu{
    subMenu(u"展示总名单", kFullListMenu),
    separator(),
    command(cmd::StartDraw),
    command(cmd::AdvanceDraw),
    command(cmd::Winners),
    subMenu(u"      回放", kReplayMenu),
    command(cmd::AddPrizeHint),
    command(cmd::EndDraw),
    separator(),
    command(cmd::History),
};

constexpr std::array kHelpMenu{
    command(cmd::Help),
    separator(),
    command(cmd::About),
};

constexpr std::array kOtherMenu{
    subMenu(u"帮助", kHelpMenu),  separator(), command(cmd::Windowed), command(cmd::FullScreen),
    command(cmd::ExtendedScreen),
};

constexpr std::array kMainMenu{
    subMenu(u"参数设置", kSettingsMenu),
    separator(),
    subMenu(u"开始抽奖", kDrawMenu),
    separator(),
    subMenu(u"其它", kOtherMenu),
    command(cmd::Minimize),
    command(cmd::Exit),
};

constexpr std::array kReplayContextMenu{
    command(cmd::ReplayPause),      separator(), command(cmd::ReplayCancel), separator(),
    command(cmd::PlaybackSettings),
};

constexpr std::array kFullListContextMenu{
    command(cmd::FullListPause),    separator(), command(cmd::FullListCancel), separator(),
    command(cmd::FullListSettings),
};

// Adds items to menu; returns whether anything but separators went in.
bool fillMenu(QMenu& menu, std::span<const MenuItem> items, const std::function<bool(int)>& available,
              const std::function<void(int)>& trigger) {
    bool separatorPending = false;
    bool hasEntries = false;
    for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Separator) {
            separatorPending = hasEntries;
            continue;
        }
        QAction* action = nullptr;
        if (item.kind == MenuItem::Kind::Command) {
            if (!available(item.id))
                continue;
            action = new QAction(toQString(commandText(item.id)), &menu);
            action->setData(item.id);
            const int id = item.id;
            QObject::connect(action, &QAction::triggered, &menu, [trigger, id] { trigger(id); });
        } else {
            auto* sub = new QMenu(toQString(item.title), &menu);
            if (!fillMenu(*sub, item.children, available, trigger)) {
                delete sub;
                continue;
            }
            action = sub->menuAction();
        }
        if (separatorPending)
            menu.addSeparator();
        separatorPending = false;
        menu.addAction(action);
        hasEntries = true;
    }
    return hasEntries;
}

} // namespace

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

std::u16string_view commandText(int id) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.id == id)
            return entry.menuText;
    }
    return {};
}

std::span<const Accelerator> normalAccelerators() {
    return kNormalAccelerators;
}
std::span<const Accelerator> rollAccelerators() {
    return kRollAccelerators;
}

std::span<const MenuItem> contextMenuItems(ContextMenu menu) {
    switch (menu) {
    case ContextMenu::Replay:
        return kReplayContextMenu;
    case ContextMenu::FullList:
        return kFullListContextMenu;
    case ContextMenu::Main:
        break;
    }
    return kMainMenu;
}

bool commandEnabled(int id, bool drawStarted) {
    switch (id) {
    case cmd::StartDraw:
        return !drawStarted;
    case cmd::AdvanceDraw:
    case cmd::Winners:
    case cmd::AddPrizeHint:
    case cmd::EndDraw:
    case cmd::ReplayAll:
    case cmd::ReplayCurrent:
    case cmd::ReplayChosen:
        return drawStarted;
    default:
        return true;
    }
}

void populateMenu(QMenu& menu, std::span<const MenuItem> items, const std::function<bool(int)>& available,
                  const std::function<void(int)>& trigger) {
    fillMenu(menu, items, available, trigger);
}

void updateMenuState(QMenu& menu, bool drawStarted) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu())
            updateMenuState(*sub, drawStarted);
        else if (!action->isSeparator() && action->data().isValid())
            action->setEnabled(commandEnabled(action->data().toInt(), drawStarted));
    }
}

} // namespace kelvora
