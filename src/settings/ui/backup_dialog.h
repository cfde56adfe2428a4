#pragma once
// "参数备份与还原": where the settings are kept and how to back them up by hand, and the standby computer's
// tools beside it: the event package (one file to carry the whole event to another computer) and the live
// mirror ("备用位置"). The dialog only shows and reports its buttons; the work is the caller's.

#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "ui/centered_dialog.h"

class QLabel;
class QPushButton;

namespace kelvora {

struct MirrorLine {
    std::u16string folder; // empty: never chosen
    bool on = false;
    std::u16string state; // "备用位置: 已同步 (10:21:33)"
};

struct BackupActions {
    std::function<void()> pack;
    std::function<void()> openPackage;
    std::function<void()> chooseMirror;
    std::function<void()> mirrorOff;
    std::function<MirrorLine()> mirrorText;
};

class BackupDialog : public CenteredDialog {
    Q_OBJECT
public:
    BackupDialog(const std::filesystem::path& settingsFolder, QWidget* parent);

    // Without actions the dialog shows only the hand-made backup.
    void setActions(BackupActions actions);

private:
    void showMirror();

    BackupActions m_actions;
    QWidget* m_standby = nullptr;
    QLabel* m_mirrorFolder = nullptr;
    QLabel* m_mirrorState = nullptr;
    QPushButton* m_mirrorOff = nullptr;
    // The mirror's state changes on its own thread; the line follows it while the dialog shows.
    QTimer m_refresh;
};

} // namespace kelvora
