// The presenter console driven as the operator drives it: keys typed into it act on the draw exactly as on
// the draw screen, it shows each state as the draw moves, and it closes and reopens during a scroll without
// touching the draw. Its placement beside the projector is a plain function, checked over screen layouts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/application.h"
#include "app/display_mode.h"
#include "draw/history.h"
#include "draw_fixture.h"
#include "rehearsal/ui/rehearsal_check_dialog.h"
#include "screen/frame_miniature.h"
#include "settings/ui/prize_settings_dialog.h"
#include "support/widget_test_support.h"
#include "ui/qt_text.h"
#include "winners/ui/winners_dialog.h"

namespace kelvora::test {
namespace {

class ConsoleTest : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        records.prizes = {makePrize(u"三等奖", 4, 2), makePrize(u"一等奖", 1, 1)};
        records.prizes[0].whiteList.push_back(makeEntrant(u"N3"));
        records.textList.entries = makeNames(10);
        records.drawMode.mode = kTextMode;
        records.interface.backgroundImage[0] = 0;
        window.setGeometry(0, 0, 800, 600);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    ConsoleWindow& openConsole() {
        // A closed console hands the keyboard back to the draw screen.
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F8);
        ConsoleWindow* console = program.console().window();
        EXPECT_TRUE(console && console->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(console));
        return *console;
    }
    // The advance input as a released key, the way a held key counts once.
    void space(QWidget& target) {
        QKeyEvent event(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }
    QString text(const QString& name) { return program.console().window()->findChild<QLabel*>(name)->text(); }
    bool shows(const QString& name, const QString& expected) {
        return QTest::qWaitFor([&] { return text(name) == expected; }, 2000);
    }

    Application program{dir.path(), services};
    AppRecords& records = program.records();
    ShowController& controller = program.controller();
    MainWindow& window = program.mainWindow();
};

TEST_F(ConsoleTest, KeysTypedIntoTheConsoleDriveTheDrawAndItShowsEachState) {
    ConsoleWindow& console = openConsole();
    EXPECT_TRUE(shows("phase", "未开始"));
    EXPECT_EQ(text("nextPrize"), "下一奖项: 三等奖");
    EXPECT_EQ(text("pool"), "奖池: 10 人");

    space(console);
    ASSERT_TRUE(controller.run().drawStarted());
    EXPECT_TRUE(shows("phase", "准备抽取"));
    EXPECT_EQ(text("prize"), "三等奖");
    EXPECT_EQ(text("nextPrize"), "下一奖项: 一等奖");
    EXPECT_EQ(text("lists"), "白名单: 未生效 (大写锁定关)");

    capsLock.on = true;
    EXPECT_TRUE(shows("capsLock", "大写锁定: 开"));
    EXPECT_EQ(text("lists"), "白名单: 生效");

    // The big button is the advance input.
    console.findChild<QPushButton*>("advance")->click();
    EXPECT_EQ(controller.run().progress().state, DrawState::Scrolling);
    EXPECT_TRUE(shows("phase", "滚动中"));
    EXPECT_EQ(console.findChild<QPushButton*>("advance")->text(), "停止");

    space(console);
    ASSERT_EQ(controller.run().progress().drawnCount, 2);
    EXPECT_TRUE(shows("phase", "已停止"));
    EXPECT_EQ(text("count"), "已抽 2 / 4    本次 2 人 (每次 2 人)");
    EXPECT_EQ(text("pool"), "奖池: 8 人");
    auto* winners = console.findChild<QListWidget*>("winners");
    ASSERT_EQ(winners->count(), 2);
    EXPECT_EQ(winners->item(0)->text(), "1. N3") << "the white list decided with Caps Lock on";

    // The draw screen's other keys work here too: F7 opens the winners window, Ctrl+F asks before ending.
    bool winnersOpened = false;
    whenOpens<WinnersDialog>([&winnersOpened](WinnersDialog& dialog) {
        winnersOpened = true;
        dialog.reject();
    });
    QTest::keyClick(&console, Qt::Key_F7);
    EXPECT_TRUE(winnersOpened);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console)) << "the keyboard comes back to the console";
    QTest::keyClick(&console, Qt::Key_F, Qt::ControlModifier);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.lastText(), kEndDrawQuestion);
    EXPECT_TRUE(controller.run().drawStarted()) << "No is the answer";
    EXPECT_TRUE(console.isVisible());
}

TEST_F(ConsoleTest, ClosingAndReopeningDuringAScrollLeavesTheDrawAlone) {
    ConsoleWindow* console = &openConsole();
    space(*console);
    space(*console);
    ASSERT_TRUE(controller.scrollTimerActive());

    QTest::keyClick(console, Qt::Key_F8);
    EXPECT_FALSE(program.console().isOpen()) << "F8 typed into the console closes it";
    EXPECT_TRUE(controller.scrollTimerActive()) << "the scroll goes on";
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile)) << "closing saves no progress";
    ASSERT_TRUE(std::filesystem::exists(paths.consoleFile)) << "where it stood is remembered";

    console = &openConsole();
    EXPECT_TRUE(controller.scrollTimerActive());
    EXPECT_EQ(controller.run().progress().state, DrawState::Scrolling);
    EXPECT_FALSE(std::filesystem::exists(paths.progressFile));

    // The miniature is the frame, scaled into its box off the frame path.
    FrameMiniature* miniature = program.console().miniature();
    ASSERT_NE(miniature, nullptr);
    space(*console);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return miniature->waitForIdle(1000) && !miniature->miniature().isNull(); }, 3000));
    QTest::qWait(FrameMiniature::kMinIntervalMs * 2);
    ASSERT_TRUE(miniature->waitForIdle(2000));
    const QImage small = miniature->miniature();
    EXPECT_LE(small.width(), console->miniatureBox().width());
    EXPECT_LE(small.height(), console->miniatureBox().height());
    const QImage expected =
        controller.screen().frame().scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QPoint centre(small.width() / 2, small.height() * 3 / 4);
    EXPECT_LT(std::abs(qRed(small.pixel(centre)) - qRed(expected.pixel(centre))), 24);

    // One stop, one save.
    ASSERT_EQ(controller.run().progress().state, DrawState::Stopped);
    const auto saved = std::filesystem::last_write_time(paths.progressFile);
    console->close();
    openConsole();
    EXPECT_EQ(std::filesystem::last_write_time(paths.progressFile), saved);
}

TEST_F(ConsoleTest, ItsSettingsAreSavedWhenTickedAndApplyAtTheNextOpening) {
    ConsoleWindow& console = openConsole();
    console.findChild<QCheckBox*>("autoOpen")->click();
    ConsoleSettings saved;
    ASSERT_TRUE(loadConsoleSettings(paths, saved));
    EXPECT_EQ(saved.autoOpen, 1);
    console.close();
    QCoreApplication::processEvents();

    // F12 without a second screen: the draw screen stays, and so does the closed console.
    EXPECT_FALSE(window.showOnExtendedScreen());
    EXPECT_FALSE(program.console().isOpen());
    EXPECT_EQ(messages.lastText(), kNoExtendedScreenText);
    Q_EMIT window.extendedScreenShown();
    EXPECT_TRUE(program.console().isOpen()) << "ticked: the move onto the projector opens it";
}

// The pre-show check from the menu shares this fixture: the live records, a report, and the way to the
// editor.
TEST_F(ConsoleTest, TheRehearsalCheckReportsTheLiveEventAndOpensTheEditorOfAFinding) {
    records.prizes[1].quota = 7; // 10 names: 4 for the first prize, 6 left
    std::vector<std::u16string> lines;
    QString summary;
    whenOpens<RehearsalCheckDialog>([&](RehearsalCheckDialog& report) {
        summary = report.findChild<QLabel*>("summary")->text();
        auto* list = report.findChild<QListWidget*>("findings");
        for (int i = 0; i < list->count(); ++i)
            lines.push_back(toU16String(list->item(i)->text()));
        list->setCurrentRow(0);
        report.findChild<QPushButton*>("fix")->click();
    });
    bool prizesOpened = false;
    whenOpens<PrizeSettingsDialog>([&prizesOpened](PrizeSettingsDialog& dialog) {
        prizesOpened = true;
        dialog.reject();
    });
    window.runCommand(CommandId::RehearsalCheck);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), u"错误 一等奖: 名额 7 > 可中奖人数 6 → 减少名额或添加名单");
    EXPECT_TRUE(summary.startsWith("2 个错误")) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith("试抽 1000 次")) << summary.toStdString();
    EXPECT_TRUE(prizesOpened) << "去修改 opens the prizes' editor";
}

TEST(ConsolePlacementTest, OpensOnTheScreenTheDrawScreenLeavesFree) {
    const QRect primary(0, 0, 1920, 1080), projector(1920, 0, 1280, 720);
    ConsoleSettings s;
    s.x = 100;
    s.y = 50;
    s.width = 1200;
    s.height = 700;
    struct Case {
        const char* what;
        std::vector<QRect> screens;
        int primary;
        QRect drawScreen;
        QRect console;
    };
    const Case cases[] = {
        {"draw screen on the projector: the primary screen",
         {primary, projector},
         0,
         projector,
         QRect(100, 50, 1200, 700)},
        {"draw screen on the primary: the other one, fitted",
         {primary, projector},
         0,
         primary,
         QRect(1920 + 80, 20, 1200, 700)},
        {"primary listed second", {projector, primary}, 1, projector, QRect(100, 50, 1200, 700)},
        {"one screen: shared", {primary}, 0, primary, QRect(100, 50, 1200, 700)},
        {"a window in the middle of two screens counts by its centre",
         {primary, projector},
         0,
         QRect(1500, 0, 1000, 500),
         QRect(100, 50, 1200, 700)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(consoleGeometry(s, c.screens, c.primary, c.drawScreen), c.console) << c.what;

    // Remembered relative to its screen, so the same place comes back on whichever screen it opens.
    ConsoleSettings back;
    rememberGeometry(back, QRect(1920 + 80, 20, 1200, 700), projector);
    EXPECT_EQ(consoleGeometry(back, {primary, projector}, 0, projector), QRect(80, 20, 1200, 700));
}

} // namespace
} // namespace kelvora::test
