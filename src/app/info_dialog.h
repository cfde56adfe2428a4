#pragma once
// The small dialogs of the menu that only inform: the three illustrated hints (presentation remote, touch
// screen, double keys) and the about box.

#include "ui/centered_dialog.h"

namespace kelvora {

enum class InfoTopic {
    Remote,     // "支持翻页笔"
    Touch,      // "触摸屏"
    DoubleKeys, // "双快捷键"
};

// A line of text above an illustration, and "确定".
class InfoDialog : public CenteredDialog {
    Q_OBJECT
public:
    InfoDialog(InfoTopic topic, QWidget* parent);
};

// The program icon, the product name with its version, and the maker.
class AboutDialog : public CenteredDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

} // namespace kelvora
