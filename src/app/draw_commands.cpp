#include "app/draw_commands.h"

#include <string_view>

#include "app/command_registry.h"
#include "app/file_message.h"
#include "app/show_controller.h"

namespace kelvora {

namespace {
constexpr std::u16string_view kAddPrizeHintText = u"可到“奖项设置”里添加奖项";
} // namespace

void registerDrawCommands(CommandRegistry& registry, ShowController& controller) {
    DrawRun& run = controller.run();
    registry.add(CommandId::StartDraw)
        .text(u"开始抽奖")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::DrawSteps)
        .available(Availability::BeforeDraw)
        .onTriggered([&run] { run.startDraw(); });
    // The six leading spaces here and below indent the entries under "开始抽奖": they act on a draw already
    // started.
    registry.add(CommandId::AdvanceDraw)
        .text(u"      滚动/停止/下一奖项/抽完回放")
        .input(ScreenInput::Advance)
        .inMenu(MenuPlace::DrawSteps)
        .available(Availability::DuringDraw)
        .onTriggered([&run] { run.advanceDraw(); });
    registry.add(CommandId::AddPrizeHint)
        .text(u"      临时加奖等...")
        .inMenu(MenuPlace::DrawEnd)
        .available(Availability::DuringDraw)
        .onTriggered([&controller] { controller.showMessage(kAddPrizeHintText, MessageIcon::Information); });
    registry.add(CommandId::EndDraw)
        .text(u"结束抽奖")
        .key(Qt::CTRL | Qt::Key_F)
        .inMenu(MenuPlace::DrawEnd)
        .available(Availability::DuringDraw)
        .onTriggered([&controller] { controller.endDraw(); });
    // No menu entry: only its keys, which work during a roll as well.
    registry.add(CommandId::ClearLists)
        .key(Qt::CTRL | Qt::ALT | Qt::Key_C)
        .alsoWhileRolling()
        .onTriggered([&controller] {
            AppRecords& records = controller.records();
            showFileResult(controller.services().messages, controller.window(),
                           clearAllBlackWhiteLists(records.paths, records.prizes));
        });
}

} // namespace kelvora
