#pragma once
// The standby computer: the event package ("打包活动...", "打开活动包...") and the live mirror ("备用位置"),
// both offered in "参数备份与还原". A collaborator of the show like the console: the mirror follows the
// show's saves through its signals and copies on a worker thread of its own, so a frame or a stop never waits
// for it; what goes wrong with it goes to the log, never onto the draw screen.

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

#include "records/data_paths.h"
#include "standby/standby_settings.h"

class QWidget;

namespace kelvora {

class CommandRegistry;
class MainWindow;
class Mirror;
class RehearsalMode;
class ShowController;

inline constexpr std::u16string_view kPackageFilter = u"活动包 (*.kelvora)";
inline constexpr std::u16string_view kUnpackDuringDrawText =
    u"抽奖进行中，不能打开活动包。\n\n请先结束抽奖(结束后中奖名单保存在历史记录中)，再打开活动包。";
inline constexpr std::u16string_view kUnpackDuringRehearsalText =
    u"彩排模式中不能打开活动包，请先退出彩排模式";

class Standby : public QObject {
    Q_OBJECT
public:
    // settings: the live record, read at start-up; exe: the program file the mirror carries.
    Standby(ShowController& controller, RehearsalMode& rehearsal, StandbySettings& settings,
            std::filesystem::path exe);
    ~Standby() override;

    // Starts the mirror the settings name (start-up), or none.
    void startMirror();
    // "打包活动...": asks where, packs behind a progress window, tells where it went.
    void pack(QWidget* owner);
    // "打开活动包...": refused during a draw or a rehearsal; checks the package behind a progress window,
    // shows what it holds and asks; then the current data goes into a dated backup folder, the package's
    // takes its place, and the program starts again on it (restartRequested).
    void openPackage(QWidget* owner);
    // "选择...": a folder for the mirror; refused when it is the program's own. Saved and started at once.
    void chooseMirrorFolder(QWidget* owner);
    // "关闭": the mirror stops; the copy already made stays where it is.
    void switchMirrorOff(QWidget* owner);
    // The mirror's state in a line ("备用位置: 已同步 (10:21:33)"), for the console and the backup dialog.
    std::u16string mirrorText() const;
    bool mirrorFailing() const;
    const StandbySettings& settings() const { return m_settings; }
    Mirror* mirror() const { return m_mirror.get(); }

Q_SIGNALS:
    void restartRequested();

private:
    void requestSync();
    bool saveSettings(QWidget* owner, const StandbySettings& settings);

    ShowController& m_controller;
    RehearsalMode& m_rehearsal;
    StandbySettings& m_settings;
    // The real data folders: a rehearsal's progress is never mirrored nor packed.
    DataPaths m_real;
    std::filesystem::path m_exe;
    std::unique_ptr<Mirror> m_mirror;
};

// "参数备份与还原..." with its package and mirror buttons.
void registerStandbyCommands(CommandRegistry& registry, MainWindow& window, Standby& standby);

} // namespace kelvora
