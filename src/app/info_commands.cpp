#include "app/info_commands.h"

#include <QUrl>

#include "app/command_registry.h"
#include "app/help_page.h"
#include "app/info_dialog.h"
#include "app/main_window.h"
#include "records/file_result.h"
#include "records/file_system.h"

namespace kelvora {

namespace {

void showHistoryFolder(MainWindow& window) {
    ShowController& controller = window.controller();
    const std::filesystem::path& folder = controller.records().paths.historyFolder;
    removeStrayFile(folder);
    if (const int error = ensureFolderTree(folder, true); error != 0) {
        controller.showMessage(
            messageText(FileResult::failed(FileOp::CreateFolder, FileStep::Open, folder, error)),
            MessageIcon::Error);
        return;
    }
    // Without a file manager nothing would happen at all; the path at least tells where the files are.
    if (!window.openWithShell(QUrl::fromLocalFile(QString::fromStdString(folder.string()))))
        controller.showMessage(u"无法打开文件夹:\n" + pathText(folder), MessageIcon::Warning);
}

void showHelp(MainWindow& window) {
    const QString page = writeHelpPage();
    if (page.isEmpty() || !window.openWithShell(QUrl::fromLocalFile(page)))
        showHelpWindow(&window);
}

} // namespace

void registerInfoCommands(CommandRegistry& registry, MainWindow& window) {
    const auto hint = [&registry, &window](CommandId id, std::u16string_view text, InfoTopic topic) {
        registry.add(id).text(text).inMenu(MenuPlace::Hints).onTriggered([&window, topic] {
            InfoDialog(topic, &window).exec();
        });
    };
    hint(CommandId::RemoteInfo, u"翻页笔...", InfoTopic::Remote);
    hint(CommandId::TouchInfo, u"触摸屏...", InfoTopic::Touch);
    hint(CommandId::DoubleKeysInfo, u"双快捷键...", InfoTopic::DoubleKeys);
    registry.add(CommandId::History).text(u"历史记录...").inMenu(MenuPlace::History).onTriggered([&window] {
        showHistoryFolder(window);
    });
    registry.add(CommandId::Help)
        .text(u"使用指南")
        .key(Qt::Key_F1)
        .inMenu(MenuPlace::Help)
        .onTriggered([&window] { showHelp(window); });
    registry.add(CommandId::About).text(u"关于").inMenu(MenuPlace::About).onTriggered([&window] {
        AboutDialog(&window).exec();
    });
}

} // namespace kelvora
