#include "app/list_commands.h"

#include "app/command_registry.h"
#include "app/show_controller.h"
#include "settings/ui/draw_mode_dialog.h"
#include "settings/ui/picture_list_dialog.h"
#include "settings/ui/text_list_dialog.h"

namespace kelvora {

namespace {

TextListEnvironment textListEnvironment(ShowController& controller, const ImportListHook& importList) {
    const AppServices& services = controller.services();
    return TextListEnvironment{controller.records().paths,
                               controller.run().drawStarted(),
                               services.random,
                               services.messages,
                               services.files,
                               importList};
}

PictureListEnvironment pictureListEnvironment(ShowController& controller) {
    const AppServices& services = controller.services();
    return PictureListEnvironment{controller.records().paths, controller.run().drawStarted(), services.random,
                                  services.messages, services.files};
}

} // namespace

void registerListCommands(CommandRegistry& registry, ShowController& controller, ListCommandHooks hooks) {
    registry.add(CommandId::DrawModeSettings)
        .text(u"模式 && 名单...")
        .functionKey(Qt::Key_F3)
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&controller, hooks] {
            AppRecords& records = controller.records();
            ListEditorOpeners editors;
            editors.openTextList = [&controller, &records, &hooks](QWidget* owner) {
                editTextList(owner, records.textList, records.textListChanged,
                             textListEnvironment(controller, hooks.importList));
            };
            editors.openPictureList = hooks.openPictureList;
            chooseDrawMode(controller.window(), records.drawMode, records.paths,
                           controller.run().drawStarted(), controller.services().messages, editors);
            controller.namesEdited();
        });
}

PickEntrantsHook textListPicker(ShowController& controller, ImportListHook importList) {
    return [&controller, importList](QWidget* owner) {
        AppRecords& records = controller.records();
        EntrantList picked = pickTextEntrants(owner, records.textList, records.textListChanged,
                                              textListEnvironment(controller, importList));
        controller.namesEdited();
        return picked;
    };
}

std::function<void(QWidget* owner)> pictureListEditor(ShowController& controller) {
    return [&controller](QWidget* owner) {
        AppRecords& records = controller.records();
        editPictureList(owner, records.pictureList, records.pictureListChanged,
                        pictureListEnvironment(controller));
    };
}

PickEntrantsHook pictureListPicker(ShowController& controller) {
    return [&controller](QWidget* owner) {
        AppRecords& records = controller.records();
        EntrantList picked = pickPictureEntrants(owner, records.pictureList, records.pictureListChanged,
                                                 pictureListEnvironment(controller));
        controller.namesEdited();
        return picked;
    };
}

} // namespace kelvora
