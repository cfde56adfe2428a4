#pragma once
// Every command of the draw screen, each declared once by the feature it belongs to: its id, its menu text,
// its keys, where it appears in the context menus, when it is offered and what it does. The menus and both
// key tables are built from these declarations, and a menu text shows the keys that were declared, so the key
// the operator reads is the key that works. A command nobody registered (its feature is not part of the
// program yet) is absent: no menu entry, no key.
//
// A feature registers its commands from its own file:
//
//     registry.add(CommandId::EndDraw)
//         .text(u"结束抽奖")
//         .key(Qt::ControlModifier | Qt::Key_F)
//         .inMenu(MenuPlace::DrawEnd)
//         .available(Availability::DuringDraw)
//         .onTriggered([&controller] { controller.endDraw(); });

#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kelvora {

// In menu order: entries that share a place in a menu appear in the order of their ids.
enum class CommandId {
    PrizeSettings,
    DrawModeSettings,
    InterfaceSettings,
    MusicSettings,
    PresenterConsole,
    RehearsalCheck,
    Rehearsal,
    Backup,
    RemoteInfo,
    TouchInfo,
    DoubleKeysInfo,
    ShowFullList,
    FullListSettings,
    StartDraw,
    AdvanceDraw,
    Winners,
    ReplayAll,
    ReplayCurrent,
    ReplayChosen,
    PlaybackSettings,
    AddPrizeHint,
    EndDraw,
    History,
    Help,
    About,
    Windowed,
    FullScreen,
    ExtendedScreen,
    Minimize,
    Exit,
    ReplayPause,
    ReplayCancel,
    FullListPause,
    FullListCancel,
    ClearLists,
    // The background music's hot keys; Tab is a second key of the first one, in both key tables.
    BackgroundMusic1,
    BackgroundMusic2,
    BackgroundMusic3,
};

// The right click's menu: the main one, or while a roll view is shown the menu of that view.
enum class ContextMenu { Main, Replay, FullList };

// The places of the context menus. Their order, the sub-menus they sit in and the separators between them
// are laid out once in context_menu.cpp.
enum class MenuPlace {
    // main menu, "参数设置"
    SettingsDialogs,
    Backup,
    Hints, // its sub-menu "高级"
    // main menu, "开始抽奖"
    FullList, // its sub-menu "展示总名单"
    DrawSteps,
    Replay,         // its sub-menu "回放", above the separator
    ReplaySettings, // the same sub-menu, below it
    DrawEnd,
    History,
    // main menu, "其它"
    Help, // its sub-menu "帮助", above the separator
    About,
    DisplayModes,
    // main menu, top level
    Window,
    // the replay's menu
    ReplayRollPlay,
    ReplayRollCancel,
    ReplayRollSettings,
    // the full list's menu
    FullListRollPlay,
    FullListRollCancel,
    FullListRollSettings,
};

// When a menu entry is offered rather than greyed. Keys are not greyed: a command that must not act outside
// a draw checks the draw itself.
enum class Availability { Always, BeforeDraw, DuringDraw };

// Inputs that the draw screen reads itself rather than through a key table: the advance input acts on the
// release of its keys, so that holding one down is one step, and Esc cancels whichever roll view is shown.
enum class ScreenInput { None, Advance, Escape };

// The keys of the advance input, besides the double click: Space, PgDn and Down (a presentation remote sends
// PgDn or Down).
std::span<const Qt::Key> advanceKeys();

// Which key table is in use: the roll table while the replay or the full list rolls, the normal one else.
enum class KeyTable { Normal, Roll };

struct Command {
    CommandId id{};
    QString text;                        // the menu text without its keys; empty for key-only commands
    std::vector<QKeySequence> keys;      // shown in the menu text, in this order
    std::vector<QKeySequence> extraKeys; // work as well, not shown
    ScreenInput input = ScreenInput::None;
    QString keyNote;           // follows the keys in the menu text
    bool whileRolling = false; // the keys are in the roll table as well
    std::vector<MenuPlace> places;
    Availability availability = Availability::Always;
    std::function<void()> action;
};

// What the menu shows for a key: "F2", "Ctrl+F", "PgUp", "↑", "空格".
QString keyLabel(const QKeySequence& keys);
// The labels of the shown keys, the advance or Esc input's keys included.
QStringList keyLabels(const Command& command);
// "奖项... \t F2": the text, and after a tab the shown keys joined by "/" and the key note.
QString menuText(const Command& command);

// Declares one command, ActionBuilder style: every call returns the builder for the next one.
class CommandBuilder {
public:
    explicit CommandBuilder(Command& command) : m_command(command) {}

    CommandBuilder& text(std::u16string_view text);
    CommandBuilder& key(const QKeySequence& keys);
    // The function key alone and with Ctrl: a remote or a keyboard whose function keys need a modifier
    // reaches every command as well. The menu shows the key alone.
    CommandBuilder& functionKey(Qt::Key key);
    CommandBuilder& extraKey(const QKeySequence& keys);
    CommandBuilder& input(ScreenInput input);
    CommandBuilder& keyNote(std::u16string_view note);
    CommandBuilder& alsoWhileRolling();
    CommandBuilder& inMenu(MenuPlace place);
    CommandBuilder& available(Availability availability);
    CommandBuilder& onTriggered(std::function<void()> action);

private:
    Command& m_command;
};

struct KeyBinding {
    QKeySequence keys;
    CommandId id;
};

class CommandRegistry {
public:
    // Declares the command; a second declaration of one id replaces the first.
    CommandBuilder add(CommandId id);

    bool contains(CommandId id) const { return m_commands.count(id) != 0; }
    // nullptr for a command nobody registered.
    const Command* find(CommandId id) const;
    Command* find(CommandId id);
    // Runs the command's action; false when it is not registered.
    bool trigger(CommandId id) const;

    // Whether the command's menu entry is offered in the draw's state.
    bool enabled(CommandId id, bool drawStarted) const;
    // Every key of the table with its command.
    std::vector<KeyBinding> bindings(KeyTable table) const;
    // The registered commands placed at place, in menu order.
    std::vector<const Command*> at(MenuPlace place) const;
    // The command that takes the input while the menu shown is shown: the one placed in that menu that is
    // offered in the draw's state.
    std::optional<CommandId> commandFor(ScreenInput input, ContextMenu shown, bool drawStarted) const;

    const std::map<CommandId, Command>& commands() const { return m_commands; }

private:
    std::map<CommandId, Command> m_commands;
};

} // namespace kelvora
