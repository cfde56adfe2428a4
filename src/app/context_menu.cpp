#include "app/context_menu.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "ui/qt_text.h"

namespace kelvora {

namespace {

struct MenuNode {
    enum class Kind { Place, Separator, SubMenu };
    Kind kind;
    MenuPlace place{};
    std::u16string_view title{};
    std::span<const MenuNode> children{};
};

constexpr MenuNode place(MenuPlace place) {
    return MenuNode{MenuNode::Kind::Place, place};
}
constexpr MenuNode separator() {
    return MenuNode{MenuNode::Kind::Separator};
}
constexpr MenuNode subMenu(std::u16string_view title, std::span<const MenuNode> children) {
    return MenuNode{MenuNode::Kind::SubMenu, {}, title, children};
}

// The maker's contact form for customised versions, and the maker's web site and contact page in the help
// sub-menu, have no counterpart here: there is no maker's site to open.
constexpr std::array kAdvancedMenu{place(MenuPlace::Hints)};

constexpr std::array kSettingsMenu{
    place(MenuPlace::SettingsDialogs), separator(), place(MenuPlace::Backup), separator(),
    subMenu(u"高级", kAdvancedMenu),
};

constexpr std::array kFullListMenu{place(MenuPlace::FullList)};

constexpr std::array kReplayMenu{place(MenuPlace::Replay), separator(), place(MenuPlace::ReplaySettings)};

// The six leading spaces of the replay sub-menu, like those of the texts of the commands around it, indent
// it under "开始抽奖": they act on a draw already started.
constexpr std::array kDrawMenu{
    subMenu(u"展示总名单", kFullListMenu),
    separator(),
    place(MenuPlace::DrawSteps),
    subMenu(u"      回放", kReplayMenu),
    place(MenuPlace::DrawEnd),
    separator(),
    place(MenuPlace::History),
};

constexpr std::array kHelpMenu{place(MenuPlace::Help), separator(), place(MenuPlace::About)};

constexpr std::array kOtherMenu{
    subMenu(u"帮助", kHelpMenu),
    separator(),
    place(MenuPlace::DisplayModes),
};

constexpr std::array kMainMenu{
    subMenu(u"参数设置", kSettingsMenu), separator(),
    subMenu(u"开始抽奖", kDrawMenu),     separator(),
    subMenu(u"其它", kOtherMenu),        place(MenuPlace::Window),
};

constexpr std::array kReplayContextMenu{
    place(MenuPlace::ReplayRollPlay),     separator(), place(MenuPlace::ReplayRollCancel), separator(),
    place(MenuPlace::ReplayRollSettings),
};

constexpr std::array kFullListContextMenu{
    place(MenuPlace::FullListRollPlay),     separator(), place(MenuPlace::FullListRollCancel), separator(),
    place(MenuPlace::FullListRollSettings),
};

std::span<const MenuNode> layout(ContextMenu menu) {
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

bool holds(std::span<const MenuNode> nodes, MenuPlace wanted) {
    return std::any_of(nodes.begin(), nodes.end(), [wanted](const MenuNode& node) {
        return (node.kind == MenuNode::Kind::Place && node.place == wanted) ||
               (node.kind == MenuNode::Kind::SubMenu && holds(node.children, wanted));
    });
}

// Adds the nodes to menu; returns whether anything but separators went in.
bool fillMenu(QMenu& menu, std::span<const MenuNode> nodes, const CommandRegistry& registry,
              const std::function<void(CommandId)>& trigger) {
    bool separatorPending = false;
    bool hasEntries = false;
    const auto append = [&](QAction* action) {
        if (separatorPending)
            menu.addSeparator();
        separatorPending = false;
        menu.addAction(action);
        hasEntries = true;
    };
    for (const MenuNode& node : nodes) {
        switch (node.kind) {
        case MenuNode::Kind::Separator:
            separatorPending = hasEntries;
            break;
        case MenuNode::Kind::Place:
            for (const Command* command : registry.at(node.place)) {
                auto* action = new QAction(menuText(*command), &menu);
                const CommandId id = command->id;
                action->setData(static_cast<int>(id));
                QObject::connect(action, &QAction::triggered, &menu, [trigger, id] { trigger(id); });
                append(action);
            }
            break;
        case MenuNode::Kind::SubMenu: {
            auto* sub = new QMenu(toQString(node.title), &menu);
            if (fillMenu(*sub, node.children, registry, trigger))
                append(sub->menuAction());
            else
                delete sub;
            break;
        }
        }
    }
    return hasEntries;
}

} // namespace

ContextMenu menuOf(MenuPlace place) {
    for (ContextMenu menu : {ContextMenu::Replay, ContextMenu::FullList}) {
        if (holds(layout(menu), place))
            return menu;
    }
    return ContextMenu::Main;
}

std::unique_ptr<QMenu> buildContextMenu(const CommandRegistry& registry, ContextMenu which, QWidget* parent,
                                        const std::function<void(CommandId)>& trigger) {
    auto menu = std::make_unique<QMenu>(parent);
    fillMenu(*menu, layout(which), registry, trigger);
    return menu;
}

void updateMenuState(QMenu& menu, const CommandRegistry& registry, bool drawStarted) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu())
            updateMenuState(*sub, registry, drawStarted);
        else if (!action->isSeparator() && action->data().isValid())
            action->setEnabled(registry.enabled(static_cast<CommandId>(action->data().toInt()), drawStarted));
    }
}

} // namespace kelvora
