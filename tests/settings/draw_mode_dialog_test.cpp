// The draw mode dialog: the only way out is "下一步", which saves the mode every time and opens the editor of
// the chosen mode; a running draw keeps the mode as it is.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "settings/ui/draw_mode_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

class DrawModeDialogTest : public ::testing::Test {
protected:
    // Runs the whole step as the command does, with act playing the operator; returns which editor opened.
    std::string choose(bool drawStarted, std::function<void(DrawModeDialog&)> act) {
        std::string opened = "none";
        ListEditorOpeners editors;
        editors.openTextList = [&](QWidget* owner) {
            opened = owner == &owner_ ? "text" : "text, wrong owner";
        };
        editors.openPictureList = [&](QWidget* owner) {
            opened = owner == &owner_ ? "picture" : "picture, wrong owner";
        };
        whenModalOpens<DrawModeDialog>(std::move(act));
        chooseDrawMode(&owner_, drawMode, paths, drawStarted, messages, editors);
        return opened;
    }
    static void click(DrawModeDialog& dialog, const char* name) {
        dialog.findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    }
    std::int32_t storedMode() {
        DrawMode stored;
        stored.mode = 42;
        EXPECT_TRUE(loadDrawMode(paths, stored));
        return stored.mode;
    }

    QApplication& app_ = qtApp(); // first: the widgets below need it
    TempDir temp;
    DataPaths paths{temp.path()};
    RecordingMessageBox messages;
    DrawMode drawMode;
    QWidget owner_;
};

TEST_F(DrawModeDialogTest, OnlyNextLeavesTheDialog) {
    DrawModeDialog dialog(drawMode, paths, false, messages, nullptr);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "Escape closed the dialog";
    dialog.close();
    EXPECT_TRUE(dialog.isVisible()) << "the window system's close closed the dialog";
    click(dialog, "next");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(DrawModeDialogTest, NextSavesTheChosenModeAndOpensItsEditor) {
    // The default is picture mode; choosing text saves 0 and opens the text list.
    EXPECT_EQ(choose(false,
                     [](DrawModeDialog& d) {
                         EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("pictureMode"))->isChecked());
                         EXPECT_FALSE(d.findChild<QLabel*>(QStringLiteral("lockedNote"))->isVisibleTo(&d));
                         click(d, "textMode");
                         click(d, "next");
                     }),
              "text");
    EXPECT_EQ(drawMode.mode, kTextMode);
    EXPECT_EQ(storedMode(), kTextMode);

    // Unchanged, the file is still written (a hand-edited 7 becomes the 1 the dialog stores).
    drawMode.mode = 7;
    std::filesystem::remove(paths.drawModeFile);
    EXPECT_EQ(choose(false, [](DrawModeDialog& d) { click(d, "next"); }), "picture");
    EXPECT_EQ(storedMode(), kPictureMode);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DrawModeDialogTest, ARunningDrawKeepsTheModeButStillLeadsToTheList) {
    drawMode.mode = kTextMode;
    EXPECT_EQ(choose(true,
                     [](DrawModeDialog& d) {
                         EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("textMode"))->isChecked());
                         EXPECT_FALSE(d.findChild<QRadioButton*>(QStringLiteral("textMode"))->isEnabled());
                         EXPECT_FALSE(d.findChild<QRadioButton*>(QStringLiteral("pictureMode"))->isEnabled());
                         EXPECT_TRUE(d.findChild<QLabel*>(QStringLiteral("lockedNote"))->isVisibleTo(&d));
                         click(d, "pictureMode"); // a disabled button does not change
                         click(d, "next");
                     }),
              "text");
    EXPECT_EQ(storedMode(), kTextMode);
}

TEST_F(DrawModeDialogTest, AFailedSaveIsShownAndTheEditorStillOpens) {
    const DataPaths unwritable(temp.path() / std::string(300, 'x'));
    std::string opened = "none";
    ListEditorOpeners editors;
    editors.openTextList = [&](QWidget*) { opened = "text"; };
    drawMode.mode = kTextMode;
    whenModalOpens<DrawModeDialog>([](DrawModeDialog& d) { click(d, "next"); });
    chooseDrawMode(nullptr, drawMode, unwritable, false, messages, editors);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].text.rfind(u"写文件失败", 0), 0u);
    EXPECT_EQ(opened, "text");

    // Picture mode with no picture editor yet: nothing opens, nothing breaks.
    drawMode.mode = kPictureMode;
    whenModalOpens<DrawModeDialog>([](DrawModeDialog& d) { click(d, "next"); });
    chooseDrawMode(nullptr, drawMode, paths, false, messages, ListEditorOpeners{});
    EXPECT_EQ(storedMode(), kPictureMode);
}

} // namespace
} // namespace kelvora::test
