#pragma once
// Every command of the draw screen in one table: its identifier, its menu text and its keys. The context
// menus and both accelerator tables are built from it, so a command's text, key and action cannot drift
// apart. A command that has no action bound (its dialog is not part of the program yet) is left out of the
// menus and the accelerators instead of showing an entry that does nothing.

#include <functional>
#include <span>
#include <string_view>

class QMenu;

namespace kelvora {

namespace cmd {
inline constexpr int PrizeSettings = 32779;
inline constexpr int DrawModeSettings = 32869;
inline constexpr int InterfaceSettings = 32814;
inline constexpr int MusicSettings = 32782;
inline constexpr int Backup = 32863;
inline constexpr int RemoteInfo = 32914;
inline constexpr int TouchInfo = 32915;
inline constexpr int DoubleKeysInfo = 32978;
inline constexpr int ShowFullList = 32947;
inline constexpr int FullListSettings = 32948;
inline constexpr int StartDraw = 32955;
inline constexpr int AdvanceDraw = 32829;
inline constexpr int Winners = 32861;
inline constexpr int ReplayAll = 32930;
inline constexpr int ReplayCurrent = 32931;
inline constexpr int ReplayChosen = 32937;
inline constexpr int PlaybackSettings = 32950;
inline constexpr int AddPrizeHint = 32833;
inline constexpr int EndDraw = 32772;
inline constexpr int History = 32860;
inline constexpr int Help = 32852;
inline constexpr int About = 32773;
inline constexpr int Windowed = 32891;
inline constexpr int FullScreen = 32887;
inline constexpr int ExtendedScreen = 32889;
inline constexpr int Minimize = 32802;
inline constexpr int Exit = 105;
inline constexpr int ReplayPause = 32971;
inline constexpr int ReplayCancel = 32865;
inline constexpr int FullListPause = 32972;
inline constexpr int FullListCancel = 32956;
inline constexpr int ClearLists = 32973;
inline constexpr int BackgroundMusic1 = 32974;
inline constexpr int BackgroundMusic2 = 32975;
inline constexpr int BackgroundMusic3 = 32976;
} // namespace cmd

struct CommandEntry {
    int id;
    std::u16string_view menuText; // empty for commands reached only by keys
};

std::span<const CommandEntry> commandTable();
// The command's menu text, empty for an unknown identifier.
std::u16string_view commandText(int id);

// One entry of an accelerator table. keys is in QKeySequence's portable text ("Ctrl+F2").
struct Accelerator {
    std::string_view keys;
    int id;
};

// The keys of the draw screen, in use while no roll view is shown.
std::span<const Accelerator> normalAccelerators();
// The keys while the replay or the full list rolls: only the music hot keys and the list clearing, so that no
// function key can open a dialog over a roll.
std::span<const Accelerator> rollAccelerators();

// A menu as data: commands, separators and titled sub-menus.
struct MenuItem {
    enum class Kind { Command, Separator, SubMenu };
    Kind kind;
    int id = 0;                  // Kind::Command
    std::u16string_view title{}; // Kind::SubMenu
    std::span<const MenuItem> children{};
};

enum class ContextMenu {
    Main,     // the draw screen's menu
    Replay,   // while the replay is shown
    FullList, // while the full list is shown
};

// The entries of the context menu "菜单" for what is on screen.
std::span<const MenuItem> contextMenuItems(ContextMenu menu);

// The greying of updateMenuState: starting is offered only before a draw, the commands that act on a draw
// only during one. Every other command is always enabled.
bool commandEnabled(int id, bool drawStarted);

// Fills menu with items: commands for which available() is false are left out, and so are sub-menus left
// empty and separators that would lead, trail or follow one another. Each command's QAction carries its id
// as data() and calls trigger(id).
void populateMenu(QMenu& menu, std::span<const MenuItem> items, const std::function<bool(int)>& available,
                  const std::function<void(int)>& trigger);

// Greys the commands of menu and of its sub-menus by commandEnabled.
void updateMenuState(QMenu& menu, bool drawStarted);

} // namespace kelvora
