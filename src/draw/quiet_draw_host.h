#pragma once
// A draw host with no screen, no sound and no disk: every hook does nothing, messages are answered "Ok" and
// saves succeed. For benchmarks and the console demo, which override the few hooks they care about.

#include "draw/draw_host.h"

namespace kelvora {

class QuietDrawHost : public DrawHost {
public:
    MessageAnswer showMessage(std::u16string_view, MessageIcon, MessageButtons) override {
        return MessageAnswer::Ok;
    }
    void repaintScreen() override {}
    void startScrollTimer(int) override {}
    void stopScrollTimer() override {}
    bool isDialogActive() override { return false; }
    void prepareScrollMusic() override {}
    void startScrollMusic() override {}
    void rewindScrollMusic() override {}
    void startWinMusic() override {}
    void releaseMusic() override {}
    void loadPrizePicture(int) override {}
    void rebuildBackground() override {}
    void dropScrollFont() override {}
    void startReplay() override {}
    bool capsLockOn() override { return false; }
    bool saveProgress(const DrawProgress&, std::u16string&) override { return true; }
};

} // namespace kelvora
