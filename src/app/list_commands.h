#pragma once
// The name lists' commands: "模式 && 名单..." (F3) chooses the draw mode and opens the editor of that mode's
// list.

#include <functional>

#include "settings/ui/editor_hooks.h"

class QWidget;

namespace kelvora {

class CommandRegistry;
class ShowController;

// The editors that other features bring; either may be empty (the import then adds nothing, and picture mode
// opens no editor after the mode dialog).
struct ListCommandHooks {
    ImportListHook importList;
    std::function<void(QWidget* owner)> openPictureList;
};

void registerListCommands(CommandRegistry& registry, ShowController& controller, ListCommandHooks hooks = {});

// Runs the text list editor in selection mode over the program's text list: what the black and white list
// editor's "添加..." calls in text mode. The list's unsaved mark and the draw's state come from the
// controller.
PickEntrantsHook textListPicker(ShowController& controller, ImportListHook importList = {});

// The picture list's editor over the program's picture list: what "模式 && 名单..." opens in picture mode.
std::function<void(QWidget* owner)> pictureListEditor(ShowController& controller);

// The picture list's editor in selection mode: what "添加..." calls in picture mode.
PickEntrantsHook pictureListPicker(ShowController& controller);

} // namespace kelvora
