// The rolls' settings and the chosen-prize replay inside the program: each "设置..." opens its dialog from
// the main menu and from its roll's own menu with that roll's guides on the screen, confirming stores, saves
// and announces the record once, "恢复默认值" then "取消" changes nothing, a failed save is reported while
// the values still apply; "指定奖项..." hands the chosen prize to the replay.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>

#include <fstream>

#include "app/application.h"
#include "app/context_menu.h"
#include "app_test_support.h"
#include "draw_fixture.h"
#include "screen/ui/roll_settings_dialogs.h"
#include "support/test_support.h"
#include "winners/ui/replay_prize_dialog.h"

namespace kelvora::test {
namespace {

std::vector<char> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

void press(QWidget& dialog, const char* button) {
    dialog.findChild<QAbstractButton*>(QLatin1String(button))->click();
}

void type(QWidget& dialog, const char* field, const char* text) {
    dialog.findChild<QLineEdit*>(QLatin1String(field))->setText(QString::fromUtf8(text));
}

class RollSettingsTest : public ::testing::Test, protected AppHarness {
protected:
    void SetUp() override {
        ASSERT_TRUE(savePrizes(paths, PrizeList{makePrize(u"一等奖", 2, 1)}));
        InterfaceSettings look;
        look.backgroundImage[0] = 0;
        ASSERT_TRUE(saveInterfaceSettings(paths, look));
        ASSERT_TRUE(app.startApplication());
        messages.shown.clear();
    }
    void TearDown() override { app.mainWindow().close(); }

    // The entry "设置..." of the menu shown, triggered as a click on it would.
    void triggerSettingsIn(ContextMenu which) {
        std::unique_ptr<QMenu> menu = buildContextMenu(app.commands(), which, nullptr,
                                                       [this](CommandId id) { app.commands().trigger(id); });
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("设置...")) {
                action->trigger();
                return;
            }
        ADD_FAILURE() << "no 设置... in the roll's menu";
    }

    Application app{dir.path(), services};
};

TEST_F(RollSettingsTest, ConfirmingTheReplaySettingsStoresSavesAndAnnouncesThemOnce) {
    QSignalSpy changes(&app.controller(), &ShowController::recordsChanged);
    bool guidesWhileOpen = false;
    whenModalOpens<PlaybackSettingsDialog>([&](PlaybackSettingsDialog& dialog) {
        const ScreenInputs& inputs = app.controller().screen().inputs();
        guidesWhileOpen = inputs.playbackDialogOpen && !inputs.fullListDialogOpen;
        type(dialog, "namesPerRow", "9");
        press(dialog, "reverseOrder");
        press(dialog, "ok");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::PlaybackSettings));

    EXPECT_TRUE(guidesWhileOpen);
    EXPECT_FALSE(app.controller().screen().inputs().playbackDialogOpen) << "the guides go with the dialog";
    PlaybackSettings expected;
    expected.namesPerRow = 5;
    expected.reverseOrder = 1;
    EXPECT_EQ(app.records().playback, expected);
    PlaybackSettings saved;
    ASSERT_TRUE(loadPlaybackSettings(paths, saved));
    EXPECT_EQ(saved, expected);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].value<RecordKinds>(), RecordKinds(RecordKind::Playback));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RollSettingsTest, RestoringDefaultsThenCancellingChangesNeitherRecordNorFile) {
    PlaybackSettings replay;
    replay.speed = 40;
    replay.margins = Margins{20, 20, 20, 20};
    app.controller().applyPlaybackSettings(replay);
    FullListSettings list;
    list.namesPerRow = 1;
    list.namesOnly = 1;
    app.controller().applyFullListSettings(list);
    const std::vector<char> replayFile = fileBytes(paths.playbackFile);
    const std::vector<char> listFile = fileBytes(paths.fullListFile);
    ASSERT_EQ(replayFile.size(), PlaybackSettings::kFileBytes);
    QSignalSpy changes(&app.controller(), &ShowController::recordsChanged);

    whenModalOpens<PlaybackSettingsDialog>([&](PlaybackSettingsDialog& dialog) {
        messages.answers = {MessageAnswer::Yes};
        press(dialog, "restoreDefaults");
        press(dialog, "cancel");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::PlaybackSettings));
    bool listGuidesWhileOpen = false;
    whenModalOpens<FullListSettingsDialog>([&](FullListSettingsDialog& dialog) {
        listGuidesWhileOpen = app.controller().screen().inputs().fullListDialogOpen;
        messages.answers = {MessageAnswer::Yes};
        press(dialog, "restoreDefaults");
        press(dialog, "cancel");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::FullListSettings));

    EXPECT_EQ(messages.shown.size(), 2u) << "each dialog asks before restoring";
    EXPECT_TRUE(listGuidesWhileOpen);
    EXPECT_FALSE(app.controller().screen().inputs().fullListDialogOpen);
    EXPECT_EQ(app.records().playback, replay);
    EXPECT_EQ(app.records().fullList, list);
    EXPECT_EQ(fileBytes(paths.playbackFile), replayFile);
    EXPECT_EQ(fileBytes(paths.fullListFile), listFile);
    EXPECT_EQ(changes.size(), 0);
}

TEST_F(RollSettingsTest, EachRollMenuOpensItsOwnSettingsAndConfirmingTheListSavesIt) {
    QSignalSpy changes(&app.controller(), &ShowController::recordsChanged);
    bool replayOpened = false;
    whenModalOpens<PlaybackSettingsDialog>([&](PlaybackSettingsDialog& dialog) {
        replayOpened = true;
        press(dialog, "cancel");
    });
    triggerSettingsIn(ContextMenu::Replay);
    EXPECT_TRUE(replayOpened);

    whenModalOpens<FullListSettingsDialog>([&](FullListSettingsDialog& dialog) {
        type(dialog, "namesPerRow", "");
        press(dialog, "ok");
    });
    triggerSettingsIn(ContextMenu::FullList);
    EXPECT_EQ(app.records().fullList.namesPerRow, 1);
    FullListSettings saved;
    ASSERT_TRUE(loadFullListSettings(paths, saved));
    EXPECT_EQ(saved.namesPerRow, 1);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].value<RecordKinds>(), RecordKinds(RecordKind::FullList));
}

TEST_F(RollSettingsTest, AFailedSaveIsReportedAndTheSettingsStillApply) {
    // The program's folder is a file: no settings folder can be made under it (root ignores permissions).
    const std::filesystem::path notAFolder = dir.path() / "program";
    std::ofstream(notAFolder) << "x";
    Application blocked{notAFolder, services};
    QSignalSpy changes(&blocked.controller(), &ShowController::recordsChanged);
    FullListSettings list;
    list.speed = 49;
    blocked.controller().applyFullListSettings(list);
    EXPECT_EQ(blocked.records().fullList, list);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.lastText().rfind(u"写文件失败:\n", 0), 0u) << u8(messages.lastText());
    EXPECT_EQ(changes.size(), 1) << "the roll must follow the new values even unsaved";
}

TEST_F(RollSettingsTest, TheChosenPrizeBecomesTheReplayPrize) {
    bool openedBeforeDraw = false;
    whenModalOpens<ReplayPrizeDialog>([&](ReplayPrizeDialog& dialog) {
        openedBeforeDraw = true;
        press(dialog, "cancel");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::ReplayChosen));
    EXPECT_FALSE(openedBeforeDraw) << "no draw, no winners to choose from";

    DrawProgress progress;
    const EntrantList names = makeNames(3);
    addWinner(progress.winners, u"三等奖", names[0]);
    addWinner(progress.winners, u"二等奖", names[1]);
    addWinner(progress.winners, u"三等奖", names[2]);
    app.controller().run().resume(progress);
    app.controller().run().setReplayPrize(u"");

    whenModalOpens<ReplayPrizeDialog>([](ReplayPrizeDialog& dialog) { press(dialog, "cancel"); });
    ASSERT_TRUE(app.commands().trigger(CommandId::ReplayChosen));
    EXPECT_EQ(app.controller().run().replayPrize(), u"") << "a cancelled choice changed the replay";

    whenModalOpens<ReplayPrizeDialog>([](ReplayPrizeDialog& dialog) {
        auto* prizes = dialog.findChild<QListWidget*>(QStringLiteral("prizes"));
        ASSERT_EQ(prizes->count(), 2) << "one entry per prize with winners";
        prizes->setCurrentRow(1);
        press(dialog, "ok");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::ReplayChosen));
    EXPECT_EQ(app.controller().run().replayPrize(), u"二等奖");
}

} // namespace
} // namespace kelvora::test
