#include "app/standby.h"

#include <QFileInfo>

#include <atomic>
#include <ctime>
#include <optional>

#include "app/command_registry.h"
#include "app/file_message.h"
#include "app/main_window.h"
#include "app/rehearsal_mode.h"
#include "app/show_controller.h"
#include "audio/music_log.h"
#include "platform/text.h"
#include "records/file_system.h"
#include "settings/ui/backup_dialog.h"
#include "standby/event_package.h"
#include "standby/mirror.h"
#include "ui/qt_text.h"
#include "ui/work_progress_dialog.h"

namespace kelvora {

namespace {

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

std::u16string megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return decimalText(static_cast<long long>(tenths / 10)) + u"." +
           decimalText(static_cast<long long>(tenths % 10));
}

} // namespace

Standby::Standby(ShowController& controller, RehearsalMode& rehearsal, StandbySettings& settings,
                 std::filesystem::path exe)
    : m_controller(controller), m_rehearsal(rehearsal), m_settings(settings),
      m_real(controller.records().paths.root), m_exe(std::move(exe)) {
    // Every save the show announces: a stop's progress file, and any record a dialog handed back. What
    // nobody announces (the history at the end of a draw, the console's place) the mirror's own rescan finds.
    connect(&m_controller, &ShowController::progressSaved, this, &Standby::requestSync);
    connect(&m_controller, &ShowController::recordsChanged, this, &Standby::requestSync);
}

Standby::~Standby() = default;

void Standby::requestSync() {
    if (m_mirror)
        m_mirror->requestSync();
}

void Standby::startMirror() {
    m_mirror.reset();
    if (m_settings.mirrorOn == 0)
        return;
    // A folder that is this program's own (copied settings of the program started from its mirror) is left
    // alone; asked once here, since it looks at the folder, which on a dead share can take long.
    const MirrorSetup setup{m_real, m_exe, m_settings.folder()};
    if (mirrorTargetProblem(setup))
        return;
    // The log beside the program: what the operator behind the projector never sees, whoever looks after
    // the show can read.
    m_mirror = std::make_unique<Mirror>(
        [log = musicLogPath(m_real.root)](std::u16string_view text) { appendLogLine(log, text); });
    m_mirror->start(setup);
}

std::u16string Standby::mirrorText() const {
    return m_mirror ? mirrorStateText(m_mirror->state()) : mirrorStateText(MirrorState{});
}

bool Standby::mirrorFailing() const {
    return m_mirror && m_mirror->state().health == MirrorHealth::Failing;
}

bool Standby::saveSettings(QWidget* owner, const StandbySettings& settings) {
    m_settings = settings;
    return showFileResult(m_controller.services().messages, owner, saveStandbySettings(m_real, m_settings));
}

void Standby::chooseMirrorFolder(QWidget* owner) {
    const auto folder = m_controller.services().files.chooseFolder(owner, u"选择备用位置");
    if (!folder)
        return;
    const MirrorSetup setup{m_real, m_exe, *folder};
    MessageBox& messages = m_controller.services().messages;
    if (const auto problem = mirrorTargetProblem(setup)) {
        messages.show(owner, *problem, MessageIcon::Warning);
        return;
    }
    StandbySettings settings = m_settings;
    if (!settings.setFolder(*folder)) {
        messages.show(owner, u"备用位置的路径太长", MessageIcon::Warning);
        return;
    }
    settings.mirrorOn = 1;
    saveSettings(owner, settings);
    startMirror();
}

void Standby::switchMirrorOff(QWidget* owner) {
    StandbySettings settings = m_settings;
    settings.mirrorOn = 0;
    saveSettings(owner, settings);
    m_mirror.reset();
}

void Standby::pack(QWidget* owner) {
    const AppServices& services = m_controller.services();
    const std::u16string name =
        packageFileName(fieldText(m_controller.records().interface.mainTitle), localNow());
    const auto target = services.files.saveFile(owner, u"打包活动", name, kPackageFilter);
    if (!target)
        return;
    std::atomic<bool> cancel = false;
    PackResult result;
    WorkProgressDialog progress(
        QStringLiteral("打包活动"), QStringLiteral("正在打包活动…"),
        [&](const WorkProgress& report) {
            result = packEvent(m_real, *target, KELVORA_VERSION, &cancel, report);
        },
        [&cancel] { cancel = true; }, owner);
    progress.exec();
    if (!result.failure.ok()) {
        if (result.failure.fault != PackageFault::Cancelled)
            services.messages.show(owner, packageFailureText(result.failure), MessageIcon::Error);
        return;
    }
    services.messages.show(
        owner,
        formatText(u"活动已打包:\n%s\n\n共 %s 个文件，%s MB",
                   {pathText(*target), decimalText(result.files), megabytes(result.bytes)}),
        MessageIcon::Information);
}

void Standby::openPackage(QWidget* owner) {
    const AppServices& services = m_controller.services();
    if (m_controller.run().drawStarted()) {
        services.messages.show(owner, kUnpackDuringDrawText, MessageIcon::Warning);
        return;
    }
    if (m_rehearsal.active()) {
        services.messages.show(owner, kUnpackDuringRehearsalText, MessageIcon::Warning);
        return;
    }
    const auto file = services.files.openFile(owner, u"打开活动包", kPackageFilter, {});
    if (!file)
        return;
    std::atomic<bool> cancel = false;
    StageResult staged;
    WorkProgressDialog progress(
        QStringLiteral("打开活动包"), QStringLiteral("正在检查活动包…"),
        [&](const WorkProgress& report) { staged = stagePackage(*file, m_real, &cancel, report); },
        [&cancel] { cancel = true; }, owner);
    progress.exec();
    if (!staged.failure.ok()) {
        if (staged.failure.fault != PackageFault::Cancelled)
            services.messages.show(owner, packageFailureText(staged.failure), MessageIcon::Error);
        return;
    }
    const std::u16string question =
        formatText(u"活动包: %s\n\n%s\n\n打开这个活动包？\n现有的参数设置和抽取进度将移到软件文件夹中的"
                   u"“活动备份-日期-时间”文件夹，然后软件重新启动。",
                   {pathText(file->filename()), summaryText(staged.staged.summary)});
    if (services.messages.show(owner, question, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes) {
        discardStagedPackage(staged.staged);
        return;
    }
    const InstallResult installed = installStagedPackage(staged.staged, m_real, localNow());
    if (!installed.failure) {
        discardStagedPackage(staged.staged);
        services.messages.show(owner, messageText(installed.failure), MessageIcon::Error);
        return;
    }
    services.messages.show(owner,
                           formatText(u"活动包已打开。\n原来的数据已移到:\n%s\n\n软件将重新启动。",
                                      {pathText(installed.backup)}),
                           MessageIcon::Information);
    Q_EMIT restartRequested();
}

void registerStandbyCommands(CommandRegistry& registry, MainWindow& window, Standby& standby) {
    registry.add(CommandId::Backup)
        .text(u"参数备份与还原...")
        .inMenu(MenuPlace::Backup)
        .onTriggered([&window, &standby] {
            BackupDialog dialog(window.controller().records().paths.settingsFolder, &window);
            BackupActions actions;
            actions.pack = [&standby, &dialog] { standby.pack(&dialog); };
            actions.openPackage = [&standby, &dialog] { standby.openPackage(&dialog); };
            actions.chooseMirror = [&standby, &dialog] { standby.chooseMirrorFolder(&dialog); };
            actions.mirrorOff = [&standby, &dialog] { standby.switchMirrorOff(&dialog); };
            actions.mirrorText = [&standby] {
                const StandbySettings& settings = standby.settings();
                return MirrorLine{settings.mirrorFolder[0] != 0 ? pathText(settings.folder())
                                                                : std::u16string(),
                                  settings.mirrorOn != 0, standby.mirrorText()};
            };
            dialog.setActions(std::move(actions));
            // An opened package restarts the program: the dialog goes first.
            QObject::connect(&standby, &Standby::restartRequested, &dialog, &QDialog::accept);
            dialog.exec();
        });
}

} // namespace kelvora
