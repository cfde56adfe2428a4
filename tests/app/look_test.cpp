// The look's dialog inside the program: F4 opens it over the draw screen with the band guides shown,
// "应用/生效" changes the screen and the file at once, "取消" keeps what was applied, and a background
// picture is copied into the interface folder only when it is not already there.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "app/application.h"
#include "app_test_support.h"
#include "records/file_system.h"
#include "screen/ui/interface_settings_dialog.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

void writePicture(const std::filesystem::path& path, QColor color) {
    std::filesystem::create_directories(path.parent_path());
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
}

class LookTest : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        ASSERT_TRUE(savePrizes(paths, PrizeList{}));
        InterfaceSettings look;
        look.backgroundImage[0] = 0;
        ASSERT_TRUE(saveInterfaceSettings(paths, look));
        ASSERT_TRUE(app.startApplication());
        messages.shown.clear();
    }
    void TearDown() override { app.mainWindow().close(); }

    // Opens the dialog with F4's command and runs act on it while it is open.
    void withDialog(std::function<void(InterfaceSettingsDialog&)> act) {
        whenModalOpens<InterfaceSettingsDialog>(std::move(act));
        ASSERT_TRUE(app.commands().trigger(CommandId::InterfaceSettings));
    }

    static void type(InterfaceSettingsDialog& dialog, const char* field, const QString& text) {
        dialog.findChild<QLineEdit*>(field)->setText(text);
    }
    static void press(InterfaceSettingsDialog& dialog, const char* button) {
        dialog.findChild<QPushButton*>(button)->click();
    }

    InterfaceSettings saved() const {
        InterfaceSettings look;
        EXPECT_TRUE(loadInterfaceSettings(paths, look));
        return look;
    }

    QRgb frameCentre() {
        const QImage& frame = app.controller().screen().composeFrame();
        return frame.pixel(frame.width() / 2, frame.height() - 4);
    }

    Application app{dir.path(), services};
};

TEST_F(LookTest, ApplyShowsAndSavesAtOnceAndCancelKeepsWhatWasApplied) {
    writePicture(paths.interfaceFolder / "绿.png", Qt::green);
    bool guidesWhileOpen = false;
    withDialog([&](InterfaceSettingsDialog& dialog) {
        guidesWhileOpen = app.controller().screen().inputs().interfaceDialogOpen;
        type(dialog, "mainTitle", QStringLiteral("新年快乐"));
        type(dialog, "mainHeight", QStringLiteral("60"));
        type(dialog, "subHeight", QStringLiteral("50"));
        type(dialog, "infoHeight", QStringLiteral("10"));
        type(dialog, "scrollSpeed", QStringLiteral("0"));
        type(dialog, "background", QStringLiteral("绿.png"));
        press(dialog, "apply");

        // The corrected values are shown in the dialog, live on the screen and in the file before it closes.
        EXPECT_EQ(dialog.findChild<QLineEdit*>("subHeight")->text(), QStringLiteral("40"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>("infoHeight")->text(), QStringLiteral("0"));
        EXPECT_EQ(fieldText(saved().mainTitle), u"新年快乐");
        EXPECT_EQ(saved().subtitleHeightPct, 40);
        EXPECT_EQ(saved().scrollSpeed, 1);
        EXPECT_EQ(qGreen(frameCentre()), 255) << "the new background is on the screen";

        type(dialog, "mainTitle", QStringLiteral("不要这个"));
        press(dialog, "cancel");
    });
    EXPECT_TRUE(guidesWhileOpen);
    EXPECT_FALSE(app.controller().screen().inputs().interfaceDialogOpen) << "the guides go with the dialog";
    EXPECT_EQ(fieldText(app.records().interface.mainTitle), u"新年快乐");
    EXPECT_EQ(fieldText(saved().mainTitle), u"新年快乐");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind(u"滚动区\n\n很小哦~~", 0), 0u);
}

TEST_F(LookTest, ABackgroundThatDoesNotLoadIsReportedAndTheLookIsSavedWithItsName) {
    withDialog([&](InterfaceSettingsDialog& dialog) {
        type(dialog, "background", QStringLiteral("不在.jpg"));
        press(dialog, "ok");
    });
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText(),
              u"背景图加载失败:\n" + pathText(paths.interfaceFolder / "不在.jpg") + u"\n\n文件不存在");
    EXPECT_EQ(fieldText(saved().backgroundImage), u"不在.jpg");
}

TEST_F(LookTest, AChosenPictureIsCopiedInOnlyWhenItIsNotThereAlready) {
    writePicture(paths.builtinFolder / "红.png", Qt::red);
    writePicture(paths.interfaceFolder / "蓝.png", Qt::blue);
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(paths.interfaceFolder / "蓝.png", old);
    files.answers = {paths.builtinFolder / "红.png", paths.interfaceFolder / "蓝.png"};

    withDialog([&](InterfaceSettingsDialog& dialog) {
        press(dialog, "builtInBackground");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("background")->text(), QStringLiteral("红.png"));
        EXPECT_TRUE(std::filesystem::exists(paths.interfaceFolder / "红.png")) << "copied at once";
        press(dialog, "customBackground");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("background")->text(), QStringLiteral("蓝.png"));
        press(dialog, "ok");
    });
    EXPECT_EQ(files.initialFolders,
              (std::vector<std::filesystem::path>{paths.builtinFolder, std::filesystem::path()}));
    EXPECT_EQ(std::filesystem::last_write_time(paths.interfaceFolder / "蓝.png"), old) << "nothing copied";
    EXPECT_EQ(fieldText(saved().backgroundImage), u"蓝.png");
    EXPECT_EQ(qBlue(frameCentre()), 255);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LookTest, RestoringTheDefaultsAsksAndAppliesNothingUntilConfirmed) {
    messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
    withDialog([&](InterfaceSettingsDialog& dialog) {
        type(dialog, "mainTitle", QStringLiteral("改过"));
        press(dialog, "restoreDefaults");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("mainTitle")->text(), QStringLiteral("改过")) << "answered No";
        press(dialog, "restoreDefaults");
        EXPECT_EQ(dialog.toRecord(), InterfaceSettings{});
        EXPECT_NE(app.records().interface, InterfaceSettings{}) << "nothing applied yet";
        press(dialog, "cancel");
    });
    EXPECT_EQ(fieldText(saved().backgroundImage), u"") << "cancelled: the file is as it was";
}

} // namespace
} // namespace kelvora::test
