// Display modes on one screen: centring, the rectangle of each mode, the windowed-mode dialog with its
// clamping, and F12 without an extended screen.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/display_mode.h"
#include "app/windowed_dialog.h"
#include "app_test_support.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

TEST(CenterOnDesktop, CentresWithTruncationAndNeverGoesNegative) {
    const QRect desktop(0, 0, 1280, 768);
    EXPECT_EQ(centeredOnDesktop(desktop, QSize(400, 300)), QPoint(440, 234));
    EXPECT_EQ(centeredOnDesktop(desktop, QSize(401, 301)), QPoint(439, 233)); // 879 / 2 and 467 / 2
    // A dialog larger than the desktop keeps its top-left corner (title and buttons) on screen.
    EXPECT_EQ(centeredOnDesktop(desktop, QSize(2000, 1000)), QPoint(0, 0));
    EXPECT_EQ(centeredOnDesktop(desktop, QSize(2000, 300)), QPoint(0, 234));
    // A primary screen that does not start at the origin of the virtual desktop.
    EXPECT_EQ(centeredOnDesktop(QRect(1920, 0, 1280, 768), QSize(2000, 1000)), QPoint(1920, 0));
}

TEST(DisplayMode, FullScreenCoversThePrimaryScreenAndWindowedUsesTheStoredRectangle) {
    const QRect primary(0, 0, 1920, 1080);
    WindowedSettings s;
    EXPECT_EQ(displayModeRect(s, primary), primary);
    s.fullScreen = 0;
    s.x = 100;
    s.y = 50;
    s.width = 800;
    s.height = 600;
    EXPECT_EQ(displayModeRect(s, primary), QRect(100, 50, 800, 600));
    EXPECT_EQ(displayModeRect(s, QRect(1280, 0, 1920, 1080)), QRect(1380, 50, 800, 600));
}

TEST(WindowedDialog, FieldsReadAsUnsignedWholeNumbers) {
    EXPECT_EQ(parseWholeNumber(QStringLiteral("640")), 640);
    EXPECT_EQ(parseWholeNumber(QStringLiteral(" 12 ")), 12);
    EXPECT_EQ(parseWholeNumber(QString()), 0);
    EXPECT_EQ(parseWholeNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(parseWholeNumber(QStringLiteral("-20")), 0);
    EXPECT_EQ(parseWholeNumber(QStringLiteral("1.5")), 0);
    // Too large for the record: stays large, so that the clamp makes it 60000 instead of a wrapped negative.
    EXPECT_EQ(parseWholeNumber(QStringLiteral("4294967296")), 2147483647);
    WindowedSettings s;
    s.x = parseWholeNumber(QStringLiteral("99999999999"));
    clampWindowRect(s, 100000, 100000);
    EXPECT_EQ(s.x, 60000);
}

class WindowedDialogTest : public ::testing::Test {
protected:
    void SetUp() override { qtApp(); }

    // Fills the fields, presses a button and lets the dialog run until it closes.
    int run(WindowedDialog& dialog, const char* button, const std::vector<const char*>& values = {}) {
        const char* names[] = {"x", "y", "width", "height"};
        for (std::size_t i = 0; i < values.size(); ++i)
            dialog.findChild<QLineEdit*>(names[i])->setText(QString::fromLatin1(values[i]));
        QTimer::singleShot(0, &dialog, [&] { dialog.findChild<QPushButton*>(button)->click(); });
        return dialog.exec();
    }
};

TEST_F(WindowedDialogTest, ConfirmClampsToTheScreenAndShowsTheCorrection) {
    WindowedDialog dialog(nullptr);
    dialog.fromRecord(WindowedSettings{}); // full screen, as after a first start
    dialog.setScreenSize(1280, 768);
    // The fields open with the stored rectangle even while full screen is on.
    EXPECT_EQ(dialog.findChild<QLineEdit*>("width")->text(), QStringLiteral("640"));

    EXPECT_EQ(run(dialog, "ok", {"500", "300", "2000", "1000"}), QDialog::Accepted);
    EXPECT_EQ(dialog.toRecord(), (WindowedSettings{0, 0, 0, 1280, 768}));
    EXPECT_EQ(dialog.findChild<QLineEdit*>("x")->text(), QStringLiteral("0"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>("width")->text(), QStringLiteral("1280"));
}

TEST_F(WindowedDialogTest, SmallAndEmptyValuesAreRaisedToTheMinimum) {
    WindowedDialog dialog(nullptr);
    dialog.fromRecord(WindowedSettings{});
    dialog.setScreenSize(1920, 1080);
    ASSERT_EQ(run(dialog, "ok", {"", "10", "100", "abc"}), QDialog::Accepted);
    EXPECT_EQ(dialog.toRecord(), (WindowedSettings{0, 0, 10, 320, 240}));
}

// Keys typed while the corrected values are shown must not change what is saved behind the operator's back.
TEST_F(WindowedDialogTest, TypingDuringTheCorrectionPauseChangesNothing) {
    WindowedDialog dialog(nullptr);
    dialog.fromRecord(WindowedSettings{});
    dialog.setScreenSize(1920, 1080);
    auto* width = dialog.findChild<QLineEdit*>("width");
    QTimer::singleShot(0, &dialog, [&] {
        dialog.findChild<QPushButton*>("ok")->click();
        QTest::keyClicks(width, "9");
    });
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(width->text(), QStringLiteral("640"));
    EXPECT_EQ(dialog.toRecord(), (WindowedSettings{0, 0, 0, 640, 480}));
}

TEST_F(WindowedDialogTest, CancelIsRejected) {
    WindowedDialog dialog(nullptr);
    dialog.fromRecord(WindowedSettings{});
    EXPECT_EQ(run(dialog, "cancel", {"1", "2", "400", "300"}), QDialog::Rejected);
}

TEST(ShowOnExtendedScreen, OneScreenShowsNoExtendedScreenAndLeavesTheWindow) {
    qtApp();
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    RecordingMessageBox messages;
    QWidget window;
    window.setGeometry(10, 20, 300, 200);
    EXPECT_FALSE(showOnExtendedScreen(window, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"无扩展屏");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));
}

} // namespace
} // namespace kelvora::test
