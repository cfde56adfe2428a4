#pragma once
// Everything the draw engine needs from the rest of the program, in one narrow interface: the program's show
// controller implements it, and tests drive whole draws through a recording fake.

#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace kelvora {

struct DrawProgress;

class DrawHost {
public:
    virtual ~DrawHost() = default;

    // A message box owned by the main window, with the program caption.
    virtual MessageAnswer showMessage(std::u16string_view text, MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;
    virtual void repaintScreen() = 0;

    // Scroll timer: (re)started with a period, or stopped. Ticks come back as DrawRun::scrollTimerTick().
    virtual void startScrollTimer(int periodMs) = 0;
    virtual void stopScrollTimer() = 0;
    // True while a dialog or other popup of the main window is active over the draw screen.
    virtual bool isDialogActive() = 0;

    // Music hooks of the scroll and winning slots.
    virtual void prepareScrollMusic() = 0;
    virtual void startScrollMusic() = 0;
    virtual void rewindScrollMusic() = 0;
    virtual void startWinMusic() = 0;
    virtual void releaseMusic() = 0;

    // Screen resources that depend on the current prize.
    virtual void loadPrizePicture(int prizeIndex) = 0;
    virtual void rebuildBackground() = 0;
    virtual void dropScrollFont() = 0;
    virtual void startReplay() = 0;

    virtual bool capsLockOn() = 0;

    // Writes the progress file; on failure returns false with the message text in errorText.
    virtual bool saveProgress(const DrawProgress& progress, std::u16string& errorText) = 0;
};

} // namespace kelvora
