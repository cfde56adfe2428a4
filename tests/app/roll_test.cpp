// The rolls as the operator drives them: Space after the last prize, Home, PgUp and F6 start them, Space
// pauses, Esc ends, the function keys rest while they show, and their refusals.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "app_test_support.h"
#include "draw_fixture.h"
#include "screen/full_list_view.h"
#include "screen/replay_view.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

class RollTest : public ::testing::Test {
protected:
    void SetUp() override {
        records.prizes = {makePrize(u"一等奖", 2, 1), makePrize(u"特等奖", 1, 1)};
        records.textList.entries = makeNames(10);
        records.drawMode.mode = kTextMode;
        records.interface.backgroundImage[0] = 0;
        window.setGeometry(0, 0, 800, 600);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void release(int key) {
        QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
    void press(int key) { QTest::keyClick(&window, Qt::Key(key)); }

    // Space until the draw has given every prize its winners and stands on the last one's stop.
    void drawToTheEnd() {
        for (int i = 0; i < 20; ++i) {
            const DrawRun& run = controller.run();
            if (run.drawStarted() && run.isLastPrize() && run.progress().state == DrawState::Stopped &&
                run.progress().drawnCount >= run.currentPrize()->quota)
                return;
            release(Qt::Key_Space);
        }
        FAIL() << "the draw did not end";
    }

    // Whether the key opened a modal dialog (closed again at once).
    bool opensDialog(int key) {
        bool opened = false;
        QTimer::singleShot(50, [&opened] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                opened = true;
                dialog->close();
            }
        });
        press(key);
        QTest::qWait(120);
        return opened;
    }

    QApplication& app = qtApp();
    TempDir dir;
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    FakeCapsLock capsLock;
    FakeClock clock;
    Random15 random{clock};
    Application program{dir.path(), AppServices{messages, files, capsLock, clock, random}};
    AppRecords& records = program.records();
    ShowController& controller = program.controller();
    MainWindow& window = program.mainWindow();
    ReplayView& replay = controller.screen().replayView();
    FullListView& fullList = controller.screen().fullListView();
};

TEST_F(RollTest, SpaceAfterTheLastPrizeReplaysAndTheRollKeepsOnlyItsKeys) {
    drawToTheEnd();
    ASSERT_FALSE(controller.replayViewActive());
    release(Qt::Key_Space);
    ASSERT_TRUE(controller.replayViewActive());
    EXPECT_TRUE(replay.active());
    EXPECT_TRUE(controller.rollTimerActive());
    EXPECT_EQ(controller.screen().infoBarText(), u"结果回放");
    EXPECT_EQ(replay.items().front().text, u"一等奖（2）") << "all prizes, in draw order";
    EXPECT_TRUE(messages.shown.empty());

    // The right click offers the replay's own menu.
    const std::vector<std::string> menu = describeMenu(*window.createContextMenu());
    ASSERT_GE(menu.size(), 3u);
    EXPECT_EQ(menu[0], "播放/暂停 \t 空格/PgDn/↓/双击");
    EXPECT_EQ(menu[2], "取消回放 \t Esc");

    // Space pauses and resumes; F2 opens nothing while the replay rolls.
    release(Qt::Key_Space);
    EXPECT_TRUE(replay.paused());
    release(Qt::Key_Down);
    EXPECT_FALSE(replay.paused());
    EXPECT_FALSE(opensDialog(Qt::Key_F2));
    press(Qt::Key_F6);
    EXPECT_FALSE(controller.fullListViewActive()) << "F6 is not in the roll's key table";

    press(Qt::Key_Escape);
    EXPECT_FALSE(controller.replayViewActive());
    EXPECT_FALSE(replay.active());
    EXPECT_FALSE(controller.rollTimerActive());
    EXPECT_TRUE(replay.items().empty());

    // Home replays every prize; PgUp and Up the one drawn last.
    press(Qt::Key_Home);
    EXPECT_TRUE(controller.replayViewActive());
    press(Qt::Key_Escape);
    press(Qt::Key_PageUp);
    ASSERT_TRUE(controller.replayViewActive());
    EXPECT_EQ(controller.screen().infoBarText(), u"特等奖（1）");
    ASSERT_EQ(replay.items().size(), 1u);
    EXPECT_FALSE(replay.items()[0].isHeading);
    press(Qt::Key_Escape);

    // F6 shows the whole list; Esc ends it.
    press(Qt::Key_F6);
    ASSERT_TRUE(controller.fullListViewActive());
    EXPECT_EQ(controller.screen().infoBarText(), u"展示总名单（10）");
    EXPECT_EQ(describeMenu(*window.createContextMenu()).at(2), "取消展示 \t Esc");
    release(Qt::Key_PageDown);
    EXPECT_TRUE(fullList.paused());
    press(Qt::Key_Escape);
    EXPECT_FALSE(controller.fullListViewActive());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RollTest, RefusalsLeaveEverythingAsItWas) {
    press(Qt::Key_Home);
    EXPECT_FALSE(controller.replayViewActive());
    EXPECT_TRUE(messages.shown.empty()) << "before a draw the replay keys do nothing";

    release(Qt::Key_Space);
    press(Qt::Key_Home);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText(), u"中奖名单为空");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);

    release(Qt::Key_Space); // scrolling
    ASSERT_EQ(controller.run().progress().state, DrawState::Scrolling);
    press(Qt::Key_Up);
    EXPECT_EQ(messages.lastText(), u"停止滚动后才可回放");
    press(Qt::Key_F6);
    EXPECT_EQ(messages.lastText(), u"停止滚动后才可展示总名单");
    EXPECT_FALSE(controller.replayViewActive() || controller.fullListViewActive());
    release(Qt::Key_Space); // stopped

    // A prize nobody has won yet: "当前奖项" replays the one drawn last.
    controller.run().setReplayPrize(u"特等奖");
    EXPECT_FALSE(controller.startReplay(true));
    EXPECT_EQ(messages.lastText(), u"中奖名单为空");
    press(Qt::Key_PageUp);
    EXPECT_TRUE(controller.replayViewActive());
    EXPECT_EQ(controller.run().replayPrize(), u"一等奖");
    press(Qt::Key_Escape);

    records.textList.entries.clear();
    press(Qt::Key_F6);
    EXPECT_EQ(messages.lastText(), u"抽奖名单为空");
    EXPECT_FALSE(controller.fullListViewActive());
}

TEST_F(RollTest, TheFloatingPrizePictureStepsAsideWhileARollShows) {
    std::filesystem::create_directories(records.paths.prizeFolder);
    QImage picture(200, 150, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString((records.paths.prizeFolder / "gift.png").string())));
    setField(records.prizes[0].imageFile, u"gift.png");
    release(Qt::Key_Space);
    ASSERT_FALSE(controller.screen().prizePictureArea().isEmpty());
    const PixelRect shown = controller.screen().prizePictureArea();
    const QImage before = controller.screen().backgroundLayer().copy();

    press(Qt::Key_F6);
    ASSERT_TRUE(controller.fullListViewActive());
    EXPECT_TRUE(controller.screen().prizePictureArea().isEmpty());
    EXPECT_NE(controller.screen().backgroundLayer().pixel(shown.left + 5, shown.top + 5), qRgb(0, 0, 255));
    press(Qt::Key_Escape);
    EXPECT_EQ(controller.screen().prizePictureArea(), shown);
    EXPECT_EQ(controller.screen().backgroundLayer(), before);
}

TEST_F(RollTest, NewSettingsAndANewSizeLayTheRollOutAgain) {
    press(Qt::Key_F6);
    ASSERT_TRUE(controller.fullListViewActive());
    const int firstRight = fullList.items()[0].right;
    for (int i = 0; i < 5; ++i)
        controller.repaintScreen();
    QTest::qWait(150);
    const double risenBefore = fullList.offset();
    ASSERT_GT(risenBefore, 0);

    records.fullList.namesPerRow = 1;
    Q_EMIT controller.recordsChanged(RecordKind::FullList);
    ASSERT_TRUE(controller.fullListViewActive());
    EXPECT_GT(fullList.items()[0].right, firstRight);
    EXPECT_LT(fullList.offset(), risenBefore) << "started over from below";

    // Another roll's settings leave this one rolling on: the screen is repainted, the roll not started over.
    controller.repaintScreen();
    QTest::qWait(30);
    controller.repaintScreen();
    const double risen = fullList.offset();
    ASSERT_GT(risen, 0);
    Q_EMIT controller.recordsChanged(RecordKind::Playback);
    EXPECT_GE(fullList.offset(), risen);

    const PixelRect before = fullList.area();
    window.resize(1000, 700);
    QApplication::processEvents();
    ASSERT_TRUE(controller.fullListViewActive());
    EXPECT_NE(fullList.area(), before);
    EXPECT_EQ(fullList.area().right, 1000 - int(1000 * 0.05));

    controller.stop();
    EXPECT_FALSE(controller.fullListViewActive());
    EXPECT_FALSE(controller.rollTimerActive());
}

} // namespace
} // namespace kelvora::test
