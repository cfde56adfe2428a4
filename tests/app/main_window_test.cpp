// The draw screen window: keys and clicks to draw operations, the exit question, the context menu of this
// build, the accelerator tables and their switch during a roll, topmost, and the engine's host services.

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDialog>
#include <QImage>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <fstream>

#include "app/application.h"
#include "app/display_mode.h"
#include "app_test_support.h"
#include "draw/progress_file.h"
#include "draw_fixture.h"
#include "settings/ui/draw_mode_dialog.h"
#include "settings/ui/picture_list_dialog.h"
#include "settings/ui/text_list_dialog.h"
#include "support/test_support.h"

namespace kelvora::test {
namespace {

std::vector<std::byte> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::byte> out(chars.size());
    std::memcpy(out.data(), chars.data(), chars.size());
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtApp();
        records.prizes = {makePrize(u"一等奖", 2, 1), makePrize(u"特等奖", 1, 1)};
        records.textList.entries = makeNames(10);
        records.drawMode.mode = kTextMode;
        records.interface.backgroundImage[0] = 0;
    }

    void showActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void release(int key, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(&window, &event);
    }

    // The winners on screen as saved in the progress file.
    DrawProgress savedProgress() {
        DrawProgress progress;
        EXPECT_TRUE(parseProgress(fileBytes(records.paths.progressFile), records.prizes, progress));
        return progress;
    }

    QApplication& app = qtApp(); // before any widget member
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
};

TEST_F(MainWindowTest, ReleasedAdvanceKeysDriveTheDrawAndEachStopIsSaved) {
    DrawRun& run = controller.run();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    EXPECT_FALSE(run.drawStarted()) << "the press alone does nothing";

    release(Qt::Key_Space);
    ASSERT_TRUE(run.drawStarted());
    EXPECT_EQ(run.progress().state, DrawState::Ready);

    // Holding the key down sends auto-repeated releases: none of them may step the draw.
    release(Qt::Key_PageDown, true);
    release(Qt::Key_Space, true);
    EXPECT_EQ(run.progress().state, DrawState::Ready);

    release(Qt::Key_PageDown);
    EXPECT_EQ(run.progress().state, DrawState::Scrolling);
    EXPECT_TRUE(controller.scrollTimerActive());
    EXPECT_EQ(controller.scrollTimerPeriod(), 33); // trunc(1000 / 30)

    release(Qt::Key_Down);
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
    EXPECT_FALSE(controller.scrollTimerActive());
    const DrawProgress saved = savedProgress();
    EXPECT_EQ(saved.state, DrawState::Stopped);
    ASSERT_EQ(saved.shownCount, 1);
    EXPECT_EQ(saved.shownEntrants[0].text(), run.progress().shownEntrants[0].text());
    EXPECT_EQ(saved.winners.size(), 1u);

    // Other keys are not advance keys.
    release(Qt::Key_Return);
    release(Qt::Key_Up);
    EXPECT_EQ(run.progress().state, DrawState::Stopped);
}

TEST_F(MainWindowTest, DoubleClickAdvancesOnceAndLeftClickBringsTheWindowBackOnTop) {
    window.setGeometry(0, 0, 800, 600);
    window.show();
    window.setTopmost(false);
    EXPECT_FALSE(window.isTopmost());
    QTest::mouseClick(&window, Qt::LeftButton);
    EXPECT_TRUE(window.isTopmost());
    EXPECT_EQ(window.geometry(), QRect(0, 0, 800, 600));
    EXPECT_FALSE(controller.run().drawStarted());

    QTest::mouseDClick(&window, Qt::LeftButton);
    EXPECT_TRUE(controller.run().drawStarted());
    EXPECT_EQ(controller.run().progress().state, DrawState::Ready);
}

TEST_F(MainWindowTest, ExitAsksOnlyInTheMiddleOfADraw) {
    DrawRun& run = controller.run();
    EXPECT_FALSE(exitNeedsQuestion(run));
    run.startDraw();
    EXPECT_TRUE(exitNeedsQuestion(run)); // Ready, nothing drawn
    const auto resumeAt = [&run](int prizeIndex, int drawnCount) {
        DrawProgress progress = run.progress();
        progress.state = DrawState::Stopped;
        progress.prizeIndex = prizeIndex;
        progress.drawnCount = drawnCount;
        run.resume(progress);
    };
    resumeAt(0, 2);
    EXPECT_TRUE(exitNeedsQuestion(run)); // first prize complete, another follows
    resumeAt(1, 0);
    EXPECT_TRUE(exitNeedsQuestion(run));
    resumeAt(1, 1);
    EXPECT_FALSE(exitNeedsQuestion(run)); // last prize complete
    // A resumed draw whose prize list has since shrunk is not complete.
    resumeAt(5, 1);
    EXPECT_TRUE(exitNeedsQuestion(run));
}

TEST_F(MainWindowTest, ClosingMidDrawAsksAndNoKeepsTheProgramRunning) {
    QSignalSpy exiting(&window, &MainWindow::exitConfirmed);
    window.show();
    controller.run().startDraw();

    messages.answers = {MessageAnswer::No};
    window.runCommand(CommandId::Exit);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"退出软件？\n\n*重启软件可继续中断的抽奖");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(exiting.count(), 0);

    messages.answers = {MessageAnswer::Yes};
    window.runCommand(CommandId::Exit);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(exiting.count(), 1);
}

TEST_F(MainWindowTest, ClosingBeforeADrawNeedsNoQuestion) {
    QSignalSpy exiting(&window, &MainWindow::exitConfirmed);
    window.show();
    window.close();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(exiting.count(), 1);
}

TEST_F(MainWindowTest, ContextMenuOffersWhatThisBuildCanDoGreyedForTheDrawState) {
    const std::vector<std::string> before{
        "参数设置/",
        "  奖项... \t F2",
        "  模式 && 名单... \t F3",
        "  界面... \t F4",
        "  音乐... \t F5",
        "  导播台... \t F8",
        "  彩排检查...",
        "  彩排模式...",
        "  ---",
        "  参数备份与还原...",
        "  ---",
        "  高级/",
        "    翻页笔...",
        "    触摸屏...",
        "    双快捷键...",
        "---",
        "开始抽奖/",
        "  展示总名单/",
        "    展示 \t F6",
        "    设置...",
        "  ---",
        "  开始抽奖 \t 空格/PgDn/↓/双击",
        "        滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击 [grey]",
        "        中奖名单管理... \t F7: 弃奖/导出/打印 [grey]",
        "        回放/",
        "    全部奖项 \t Home [grey]",
        "    当前奖项 \t PgUp/↑ [grey]",
        "    指定奖项... [grey]",
        "    ---",
        "    设置...",
        "        临时加奖等... [grey]",
        "  结束抽奖 \t Ctrl+F [grey]",
        "  ---",
        "  历史记录...",
        "---",
        "其它/",
        "  帮助/",
        "    使用指南 \t F1",
        "    ---",
        "    关于",
        "  ---",
        "  窗口化 \t F10",
        "  全屏化 \t F11",
        "  只显示到扩展屏 \t F12",
        "最小化 \t F9",
        "退出 \t Alt+F4",
    };
    auto menu = window.createContextMenu();
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(describeMenu(*menu, true), before);

    controller.run().startDraw();
    menu = window.createContextMenu();
    Q_EMIT menu->aboutToShow();
    const std::vector<std::string> during = describeMenu(*menu, true);
    const std::size_t draw =
        std::size_t(std::find(during.begin(), during.end(), "开始抽奖/") - during.begin());
    ASSERT_LT(draw + 15, during.size());
    EXPECT_EQ(during[draw + 2], "    展示 \t F6");
    EXPECT_EQ(during[draw + 5], "  开始抽奖 \t 空格/PgDn/↓/双击 [grey]");
    EXPECT_EQ(during[draw + 6], "        滚动/停止/下一奖项/抽完回放 \t 空格/PgDn/↓/双击");
    EXPECT_EQ(during[draw + 7], "        中奖名单管理... \t F7: 弃奖/导出/打印");
    EXPECT_EQ(during[draw + 9], "    全部奖项 \t Home");
    EXPECT_EQ(during[draw + 10], "    当前奖项 \t PgUp/↑");
    EXPECT_EQ(during[draw + 11], "    指定奖项...");
    EXPECT_EQ(during[draw + 14], "        临时加奖等...");
    EXPECT_EQ(during[draw + 15], "  结束抽奖 \t Ctrl+F");
}

TEST_F(MainWindowTest, F3ChoosesTheModeThenEditsTheTextListAndAnnouncesBoth) {
    QSignalSpy changes(&controller, &ShowController::recordsChanged);
    bool editorOpened = false;
    whenModalOpens<DrawModeDialog>([&](DrawModeDialog& modes) {
        whenModalOpens<TextListDialog>([&](TextListDialog& editor) {
            editorOpened = true;
            editor.findChild<QPushButton*>(QStringLiteral("descending"))->click();
            editor.findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        modes.findChild<QPushButton*>(QStringLiteral("next"))->click();
    });
    window.runCommand(CommandId::DrawModeSettings);

    EXPECT_TRUE(editorOpened);
    EXPECT_TRUE(std::filesystem::exists(records.paths.drawModeFile));
    EXPECT_FALSE(records.textListChanged);
    TextNameList stored;
    ASSERT_TRUE(loadTextNameList(records.paths, stored));
    ASSERT_EQ(stored.entries.size(), records.textList.entries.size());
    EXPECT_EQ(stored.entries.front().text(), records.textList.entries.front().text());
    EXPECT_GT(compareIgnoreCase(stored.entries.front().text(), stored.entries.back().text()), 0);
    ASSERT_EQ(changes.size(), 1);
    const auto kinds = changes[0][0].value<RecordKinds>();
    EXPECT_TRUE(kinds.testFlag(RecordKind::DrawMode) && kinds.testFlag(RecordKind::TextList));
}

TEST_F(MainWindowTest, F3InPictureModeEditsThePictureList) {
    records.drawMode.mode = kPictureMode;
    records.pictureList.entries = {makeEntrant(u"a.png"), makeEntrant(u"b.png")};
    QSignalSpy changes(&controller, &ShowController::recordsChanged);
    bool editorOpened = false;
    whenModalOpens<DrawModeDialog>([&](DrawModeDialog& modes) {
        whenModalOpens<PictureListDialog>([&](PictureListDialog& editor) {
            editorOpened = true;
            editor.findChild<QPushButton*>(QStringLiteral("descending"))->click();
            editor.findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        modes.findChild<QPushButton*>(QStringLiteral("next"))->click();
    });
    window.runCommand(CommandId::DrawModeSettings);

    ASSERT_TRUE(editorOpened);
    EXPECT_FALSE(records.pictureListChanged);
    PictureNameList stored;
    ASSERT_TRUE(loadPictureNameList(records.paths, stored));
    EXPECT_EQ(namesOf(stored.entries), (std::vector<std::string>{"b.png", "a.png"}));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_TRUE(changes[0][0].value<RecordKinds>().testFlag(RecordKind::PictureList));
}

// After the prize window the show follows: the screen is told once, and during a draw the current prize's
// picture is the one the prize now names.
TEST_F(MainWindowTest, EditedPrizesReachTheScreenAndTheCurrentPrizePicture) {
    QSignalSpy changed(&controller, &ShowController::recordsChanged);
    controller.prizesEdited();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<RecordKinds>(), RecordKinds(RecordKind::Prizes));
    EXPECT_FALSE(controller.screen().prizePicture().isValid()); // no draw: nothing to show

    controller.run().startDraw();
    ASSERT_FALSE(controller.screen().prizePicture().isValid());
    std::filesystem::create_directories(records.paths.prizeFolder);
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString((records.paths.prizeFolder / "gift.png").string())));
    setField(records.prizes[0].imageFile, u"gift.png");
    controller.prizesEdited();
    EXPECT_TRUE(controller.screen().prizePicture().isValid());
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(MainWindowTest, MenuCommandsRunTheDrawAndShowTheHint) {
    window.runCommand(CommandId::AdvanceDraw); // greyed before a draw, and harmless if reached anyway
    EXPECT_FALSE(controller.run().drawStarted());
    window.runCommand(CommandId::StartDraw);
    EXPECT_TRUE(controller.run().drawStarted());
    window.runCommand(CommandId::AdvanceDraw);
    EXPECT_EQ(controller.run().progress().state, DrawState::Scrolling);
    window.runCommand(CommandId::AddPrizeHint);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"可到“奖项设置”里添加奖项");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
}

TEST_F(MainWindowTest, AcceleratorsReachTheirCommandsAndRollViewsKeepOnlyTheirOwn) {
    records.prizes[0].whiteList = {records.textList.entries[3]};
    window.setGeometry(10, 10, 640, 480);
    showActive();

    QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText(), u"无扩展屏");

    controller.setRollViews(true, false);
    QTest::keyClick(&window, Qt::Key_F12);
    QTest::keyClick(&window, Qt::Key_F11);
    EXPECT_EQ(messages.shown.size(), 1u) << "function keys do nothing while a roll is shown";
    EXPECT_EQ(window.geometry(), QRect(10, 10, 640, 480));
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(records.prizes[0].whiteList.empty()) << "list clearing works during a roll";
    EXPECT_TRUE(std::filesystem::exists(records.paths.prizeFile));

    controller.setRollViews(false, false);
    QTest::keyClick(&window, Qt::Key_F11);
    EXPECT_EQ(window.geometry(), primaryScreenRect());
    WindowedSettings saved;
    saved.fullScreen = 0;
    ASSERT_TRUE(loadWindowedSettings(records.paths, saved, 1920, 1080));
    EXPECT_EQ(saved.fullScreen, 1);
}

TEST_F(MainWindowTest, CtrlFAsksWithNoAsTheDefaultAndYesEndsTheDraw) {
    showActive();
    controller.run().startDraw();
    controller.run().advanceDraw();
    controller.run().advanceDraw();
    ASSERT_TRUE(std::filesystem::exists(records.paths.progressFile));

    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier); // unanswered: No
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_TRUE(controller.run().drawStarted());

    messages.answers = {MessageAnswer::Yes};
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(controller.run().drawStarted());
    EXPECT_FALSE(std::filesystem::exists(records.paths.progressFile));
    EXPECT_TRUE(std::filesystem::exists(records.paths.historyFolder / "20261206_21.05.09.txt"));
}

TEST_F(MainWindowTest, AdvanceAndEscapeGoToTheRollViewsWhileTheyAreShown) {
    // The roll views' commands as their feature will declare them.
    std::vector<CommandId> ran;
    const auto declare = [&](CommandId id, ScreenInput input, MenuPlace place) {
        program.commands().add(id).input(input).inMenu(place).onTriggered([&ran, id] { ran.push_back(id); });
    };
    declare(CommandId::ReplayPause, ScreenInput::Advance, MenuPlace::ReplayRollPlay);
    declare(CommandId::ReplayCancel, ScreenInput::Escape, MenuPlace::ReplayRollCancel);
    declare(CommandId::FullListPause, ScreenInput::Advance, MenuPlace::FullListRollPlay);
    declare(CommandId::FullListCancel, ScreenInput::Escape, MenuPlace::FullListRollCancel);

    controller.setRollViews(false, true);
    release(Qt::Key_Space); // the full list pauses whatever the draw state
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(controller.run().drawStarted());

    controller.run().startDraw();
    controller.setRollViews(true, false);
    release(Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(controller.run().progress().state, DrawState::Ready);
    EXPECT_EQ(ran, (std::vector<CommandId>{CommandId::FullListPause, CommandId::FullListCancel,
                                           CommandId::ReplayPause, CommandId::ReplayCancel}));

    controller.setRollViews(false, false);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(ran.size(), 4u) << "Esc does nothing without a roll";
}

TEST_F(MainWindowTest, AnOpenDialogSlowsTheScrollAndClosingItRestoresTheSpeed) {
    window.show();
    controller.run().startDraw();
    controller.run().advanceDraw();
    ASSERT_EQ(controller.scrollTimerPeriod(), 33);
    EXPECT_FALSE(controller.isDialogActive());

    QDialog dialog(&window);
    bool activeInside = false;
    QTimer::singleShot(0, &dialog, [&] {
        activeInside = controller.isDialogActive();
        controller.run().scrollTimerTick();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_TRUE(activeInside);
    EXPECT_EQ(controller.scrollTimerPeriod(), 1000);

    controller.run().scrollTimerTick();
    EXPECT_EQ(controller.scrollTimerPeriod(), 33);
}

// F2: what the prize window changed is written when it closes and announced once; closing it unchanged does
// neither.
TEST_F(MainWindowTest, F2EditsThePrizesWritesThemAndTellsTheShow) {
    showActive();
    QSignalSpy changed(&controller, &ShowController::recordsChanged);
    QTimer::singleShot(0, &window, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* view = dialog->findChild<QTableView*>("prizes");
        view->selectionModel()->select(view->model()->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        dialog->findChild<QPushButton*>("moveUp")->click();
        dialog->findChild<QPushButton*>("close")->click();
    });
    QTest::keyClick(&window, Qt::Key_F2);
    ASSERT_EQ(records.prizes.size(), 2u);
    EXPECT_EQ(records.prizes[0].nameText(), u"特等奖");
    EXPECT_EQ(changed.size(), 1);
    PrizeList reread;
    ASSERT_TRUE(loadPrizes(records.paths, reread));
    EXPECT_EQ(reread[0].nameText(), u"特等奖");

    std::filesystem::remove(records.paths.prizeFile);
    QTimer::singleShot(0, &window,
                       [] { QApplication::activeModalWidget()->findChild<QPushButton*>("close")->click(); });
    QTest::keyClick(&window, Qt::Key_F2);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(std::filesystem::exists(records.paths.prizeFile));
}

// The dialog hands back a record; the show saves it and the window places itself by it.
TEST_F(MainWindowTest, F10SavesTheConfirmedRectangleAndPlacesTheWindow) {
    showActive();
    QTimer::singleShot(0, &window, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        const char* names[] = {"x", "y", "width", "height"};
        const char* values[] = {"10", "20", "400", "300"};
        for (int i = 0; i < 4; ++i)
            dialog->findChild<QLineEdit*>(names[i])->setText(QString::fromLatin1(values[i]));
        dialog->findChild<QPushButton*>("ok")->click();
    });
    QTest::keyClick(&window, Qt::Key_F10);
    const WindowedSettings expected{0, 10, 20, 400, 300};
    EXPECT_EQ(records.windowed, expected);
    EXPECT_EQ(window.geometry(), QRect(10, 20, 400, 300));
    WindowedSettings reread;
    ASSERT_TRUE(loadWindowedSettings(records.paths, reread, 1920, 1080));
    EXPECT_EQ(reread, expected);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, AFailedSaveOfTheWindowRectangleIsReportedAndItStillApplies) {
    // The program's folder is a file: no settings folder can be made under it (root ignores permissions).
    const std::filesystem::path notAFolder = dir.path() / "program";
    std::ofstream(notAFolder) << "x";
    Application blocked{notAFolder, AppServices{messages, files, capsLock, clock, random}};
    blocked.controller().applyWindowedSettings(WindowedSettings{0, 10, 20, 400, 300});
    EXPECT_EQ(blocked.records().windowed, (WindowedSettings{0, 10, 20, 400, 300}));
    EXPECT_EQ(blocked.mainWindow().geometry(), QRect(10, 20, 400, 300));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.lastText().rfind(u"写文件失败:\n", 0), 0u) << u8(messages.lastText());
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST_F(MainWindowTest, HistoryCommandCreatesTheFolderAndOpensIt) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    window.show();
    window.runCommand(CommandId::History);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(std::filesystem::is_directory(records.paths.historyFolder));
    ASSERT_EQ(recorder.opened.size(), 1u);
    EXPECT_EQ(recorder.opened[0].toLocalFile().toStdString(), records.paths.historyFolder.string());
    EXPECT_FALSE(window.isTopmost()) << "the opened folder must be able to come in front";
}

} // namespace
} // namespace kelvora::test

#include "main_window_test.moc"
