#pragma once
// "窗口化": the operator types the window rectangle; on "确定" the values are corrected to fit the primary
// screen and shown corrected for a moment before the dialog closes. The dialog only edits a draft: the caller
// fills it with fromRecord() and, when it was accepted, hands toRecord() to the show, which stores, saves and
// announces it.

#include <QString>
#include <QTimer>

#include <cstdint>

#include "settings/windowed_settings.h"
#include "ui/centered_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvora {

// A field's text as an unsigned whole number: anything that is not one gives 0, and a number too large for
// the record stays large (2147483647) instead of wrapping to a negative value, so that the clamp turns it
// into the 60000 maximum.
std::int32_t parseWholeNumber(const QString& text);

class WindowedDialog : public CenteredDialog {
    Q_OBJECT
public:
    // How long the corrected values stay visible before the dialog closes.
    static constexpr int kShowCorrectionMs = 256;

    explicit WindowedDialog(QWidget* parent);

    void fromRecord(const WindowedSettings& settings);
    // The typed rectangle, corrected to fit the screen, in windowed mode.
    WindowedSettings toRecord() const;

    // The screen size the rectangle is clamped to; the primary screen's by default.
    void setScreenSize(int width, int height);

    // Escape during the pause would drop values already shown as accepted.
    void reject() override;

private:
    void confirm();

    WindowedSettings m_draft;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    QLineEdit* m_x = nullptr;
    QLineEdit* m_y = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLabel* m_screenWidthLabel = nullptr;
    QLabel* m_screenHeightLabel = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer m_pause;
};

} // namespace kelvora
