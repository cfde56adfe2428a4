#pragma once
// "彩排模式": the show run on the real prizes and lists without leaving a trace. While it is on, the draw's
// progress and history go to the rehearsal folder (rehearsal/rehearsal_folder.h); switching it off, or
// quitting, throws the rehearsal away and takes the real draw up again from its progress file, which was
// never written meanwhile. Settings changed during a rehearsal stay changed. A collaborator of the show: it
// changes the draw only through the calls a start-up and Ctrl+F use.

#include <QObject>

#include "records/data_paths.h"

namespace kelvora {

class CommandRegistry;
class ShowController;

inline constexpr std::u16string_view kRehearsalOnQuestion =
    u"进入彩排模式？\n\n彩排中的抽奖进度和历史记录另存在“彩排”文件夹中，退出彩排或退出软件时全部丢弃；"
    u"真正的抽奖进度不会改变。\n彩排中修改的设置（奖项、界面、名单等）会保留。";
inline constexpr std::u16string_view kRehearsalOffQuestion =
    u"退出彩排模式？\n\n彩排的抽奖结果将被丢弃，回到真正的抽奖进度。";
inline constexpr std::u16string_view kRehearsalWhileScrollingText = u"停止滚动后才可切换彩排模式";

class RehearsalMode : public QObject {
    Q_OBJECT
public:
    explicit RehearsalMode(ShowController& controller);

    bool active() const { return m_active; }
    // Start-up, before the progress is read: a rehearsal the program died in goes on as a rehearsal.
    void resumeInterrupted();
    // The menu entry and the console's switch: asks, then switches. True when the mode changed.
    bool toggle();
    // Quitting: a rehearsal is thrown away.
    void discard();

Q_SIGNALS:
    void changed(bool active);

private:
    void switchTo(bool on);
    // The draw of the paths now in use: nothing, or the saved one taken up; the screen follows.
    void takeUpSavedDraw();

    ShowController& m_controller;
    DataPaths m_real;
    bool m_active = false;
};

void registerRehearsalCommands(CommandRegistry& registry, RehearsalMode& mode);

} // namespace kelvora
