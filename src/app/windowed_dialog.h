#pragma once
// "窗口化": the operator types the window rectangle; the values are corrected to fit the primary screen,
// shown corrected for a moment, stored and saved, and the draw screen leaves full screen.

#include <QString>
#include <QTimer>

#include <cstdint>

#include "app/centered_dialog.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "settings/windowed_settings.h"

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

    WindowedDialog(const DataPaths& paths, WindowedSettings& settings, MessageBox& messages, QWidget* parent);

    // The screen size the rectangle is clamped to; the primary screen's by default.
    void setScreenSize(int width, int height);

    // Escape during the pause would drop values already shown as accepted.
    void reject() override;

private:
    void confirm();
    void commit();

    const DataPaths& m_paths;
    WindowedSettings& m_settings;
    MessageBox& m_messages;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    WindowedSettings m_corrected;
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
