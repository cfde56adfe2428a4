#include "app/rehearsal_mode.h"

#include <optional>

#include "app/command_registry.h"
#include "app/file_message.h"
#include "app/show_controller.h"
#include "draw/progress_file.h"
#include "rehearsal/rehearsal_folder.h"

namespace kelvora {

RehearsalMode::RehearsalMode(ShowController& controller)
    : m_controller(controller), m_real(controller.records().paths) {}

void RehearsalMode::resumeInterrupted() {
    if (!rehearsalUnderWay(m_real))
        return;
    m_active = true;
    m_controller.records().paths = rehearsalPaths(m_real);
    m_controller.screen().inputs().rehearsal = true;
    Q_EMIT changed(true);
}

bool RehearsalMode::toggle() {
    if (m_controller.run().drawStarted() && m_controller.run().progress().state == DrawState::Scrolling) {
        m_controller.showMessage(kRehearsalWhileScrollingText, MessageIcon::Warning);
        return false;
    }
    // Leaving throws the rehearsal's results away: No is the default there.
    const MessageAnswer answer =
        m_active
            ? m_controller.showMessage(kRehearsalOffQuestion, MessageIcon::Question,
                                       MessageButtons::YesNoDefaultNo)
            : m_controller.showMessage(kRehearsalOnQuestion, MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return false;
    if (!m_active) {
        if (const FileResult begun = beginRehearsal(m_real); !begun) {
            showFileResult(m_controller.services().messages, m_controller.window(), begun);
            return false;
        }
    }
    switchTo(!m_active);
    return true;
}

void RehearsalMode::discard() {
    if (!m_active)
        return;
    m_active = false;
    m_controller.records().paths = m_real;
    m_controller.screen().inputs().rehearsal = false;
    discardRehearsal(m_real);
}

void RehearsalMode::switchTo(bool on) {
    // Whatever shows of the draw left goes: the rolls, the scroll and winning music.
    if (m_controller.fullListViewActive())
        m_controller.stopFullList(false);
    if (m_controller.replayViewActive())
        m_controller.stopReplay(false);
    m_controller.releaseMusic();
    m_active = on;
    m_controller.records().paths = on ? rehearsalPaths(m_real) : m_real;
    m_controller.screen().inputs().rehearsal = on;
    if (!on)
        discardRehearsal(m_real);
    takeUpSavedDraw();
    Q_EMIT changed(on);
}

void RehearsalMode::takeUpSavedDraw() {
    DrawRun& run = m_controller.run();
    run.end();
    const AppRecords& records = m_controller.records();
    std::optional<DrawProgress> saved;
    showFileResult(m_controller.services().messages, m_controller.window(),
                   loadProgress(records.paths, records.prizes, saved));
    if (saved)
        run.resume(std::move(*saved));
    m_controller.loadPrizePicture(run.drawStarted() ? run.progress().prizeIndex : -1);
    m_controller.rebuildBackground();
    m_controller.repaintScreen();
}

void registerRehearsalCommands(CommandRegistry& registry, RehearsalMode& mode) {
    registry.add(CommandId::Rehearsal)
        .text(u"彩排模式...")
        .inMenu(MenuPlace::SettingsDialogs)
        .onTriggered([&mode] { mode.toggle(); });
}

} // namespace kelvora
