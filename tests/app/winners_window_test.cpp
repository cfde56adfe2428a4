// The winners window offscreen: the prize filter and the table under the model tester, the picture preview,
// the forfeit from the window (refusals, the question, the saved change, the table, the prize choices and the
// selection after it, a failed save, names alike), the print hint, the exports' folder question and their
// progress window with its cancel; and F7 in the program, only during a draw, with the forfeit reaching the
// progress file.

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/application.h"
#include "draw/progress_file.h"
#include "draw_fixture.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "sheets/sheet_file.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"
#include "ui/work_progress_dialog.h"
#include "winners/ui/winners_dialog.h"
#include "winners/ui/winners_model.h"
#include "winners/winner_export.h"

namespace kelvora::test {
namespace {

void pressButton(QWidget& dialog, const char* button) {
    QAbstractButton* found = dialog.findChild<QAbstractButton*>(QLatin1String(button));
    ASSERT_NE(found, nullptr) << button;
    found->click();
}

QString cell(const WinnersModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

// The table as "number|prize|name|extension" lines.
std::vector<std::string> rowsOf(const WinnersModel& model) {
    std::vector<std::string> rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << cell(model, r, c);
        rows.push_back(cells.join(u'|').toStdString());
    }
    return rows;
}

int selectedRow(QTableView& view) {
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void selectRow(QTableView& view, int row) {
    view.selectionModel()->select(view.model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<char> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

// A draw in its second prize: 三等奖 has N0..N2, the current 二等奖 (4 places, 2 a press) has N3 and N4 on
// screen, N5..N7 are still in the pool.
class WinnersWindowTest : public ::testing::Test, public DrawFixture {
protected:
    void SetUp() override {
        qtApp();
        prizes = {makePrize(u"三等奖", 3, 3), makePrize(u"二等奖", 4, 2)};
        textList = makeNames(8);
        DrawProgress progress;
        progress.state = DrawState::Stopped;
        progress.prizeIndex = 1;
        progress.drawnCount = 2;
        for (int i = 0; i < 3; ++i)
            addWinner(progress.winners, u"三等奖", textList[std::size_t(i)]);
        for (int i = 3; i < 5; ++i) {
            addWinner(progress.winners, u"二等奖", textList[std::size_t(i)]);
            progress.shownEntrants[std::size_t(progress.shownCount++)] = textList[std::size_t(i)];
        }
        progress.pool.assign(textList.begin() + 5, textList.end());
        run.resume(progress);
    }

    TempDir dir;
    DataPaths paths{dir.path()};
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    WinnersEnvironment env{run, paths, messages, files};
};

TEST_F(WinnersWindowTest, TheFilterOffersAllPrizesFirstThenEachPrizeAndNarrowsTheTable) {
    WinnersDialog dialog(env, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("prizes"));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("全部奖项"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("三等奖"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("二等奖"));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(rowsOf(dialog.model()),
              (std::vector<std::string>{"1|三等奖|N0|", "2|三等奖|N1|", "3|三等奖|N2|", "4|二等奖|N3|",
                                        "5|二等奖|N4|"}));

    combo->setCurrentIndex(2);
    EXPECT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|二等奖|N3|", "2|二等奖|N4|"}))
        << "one prize, numbered from 1";
    combo->setCurrentIndex(0);
    EXPECT_EQ(dialog.model().rowCount(), 5);

    dialog.show();
    const QHeaderView* header = dialog.view().horizontalHeader();
    EXPECT_EQ(header->sectionSize(WinnersModel::ExtensionColumn), 0);
    EXPECT_GT(header->sectionSize(WinnersModel::NameColumn), header->sectionSize(WinnersModel::PrizeColumn));
    EXPECT_GT(header->sectionSize(WinnersModel::PrizeColumn),
              header->sectionSize(WinnersModel::RowNumberColumn));
    EXPECT_EQ(dialog.view().selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("preview")), nullptr) << "a preview in text mode";
    EXPECT_FALSE(dialog.findChild<QCheckBox*>(QStringLiteral("backToPool"))->isChecked());
}

TEST_F(WinnersWindowTest, ForfeitRefusesNoRowAsksThenSavesRemovesAndSelectsTheNextRow) {
    WinnersDialog dialog(env, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.show();

    pressButton(dialog, "forfeit");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"请选中弃奖人");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);

    selectRow(dialog.view(), 3); // N3 of the current prize
    messages.answers = {MessageAnswer::No};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(messages.lastText(), u"确定弃奖？");
    EXPECT_TRUE(host.saved.empty()) << "No forfeited";
    EXPECT_EQ(dialog.model().rowCount(), 5);

    const int repaints = host.repaints;
    dialog.findChild<QCheckBox*>(QStringLiteral("backToPool"))->setChecked(true);
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    ASSERT_EQ(host.saved.size(), 1u) << "the change is saved before it takes effect";
    const DrawProgress& after = run.progress();
    EXPECT_EQ(names(after.winners[1].entrants), u"N4");
    EXPECT_EQ(names(after.pool), u"N5,N6,N7,N3") << "back to the pool, at its end";
    EXPECT_EQ(after.drawnCount, 1) << "the current prize regains the place";
    EXPECT_EQ(after.slotForfeited[0], 1);
    EXPECT_GT(host.repaints, repaints);
    EXPECT_EQ(rowsOf(dialog.model()),
              (std::vector<std::string>{"1|三等奖|N0|", "2|三等奖|N1|", "3|三等奖|N2|", "4|二等奖|N4|"}));
    EXPECT_EQ(selectedRow(dialog.view()), 3) << "the row now at the forfeited one's place";

    // The last row: the new last one is selected; with the box clear nobody returns; an emptied prize goes.
    dialog.findChild<QCheckBox*>(QStringLiteral("backToPool"))->setChecked(false);
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(run.progress().winners.size(), 1u);
    EXPECT_EQ(names(run.progress().pool), u"N5,N6,N7,N3");
    EXPECT_EQ(dialog.model().rowCount(), 3);
    EXPECT_EQ(selectedRow(dialog.view()), 2);

    // A winner of an earlier prize, under that prize's filter: the place stays taken for the current prize.
    dialog.findChild<QComboBox*>(QStringLiteral("prizes"))->setCurrentIndex(1);
    selectRow(dialog.view(), 0);
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(names(run.progress().winners[0].entrants), u"N1,N2");
    EXPECT_EQ(run.progress().drawnCount, 0);
    EXPECT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|三等奖|N1|", "2|三等奖|N2|"}));
    EXPECT_EQ(selectedRow(dialog.view()), 0);
}

TEST_F(WinnersWindowTest, AFailedSaveOrScrollingNamesLeaveDrawAndTableAsTheyWere) {
    WinnersDialog dialog(env, nullptr);
    dialog.show();
    const DrawProgress before = run.progress();

    host.failSave = true;
    selectRow(dialog.view(), 4);
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(messages.lastText(), u"弃奖失败:\n" + host.saveError);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    EXPECT_EQ(names(run.progress().winners[1].entrants), u"N3,N4");
    EXPECT_EQ(run.progress().drawnCount, before.drawnCount);
    EXPECT_EQ(dialog.model().rowCount(), 5);
    EXPECT_EQ(selectedRow(dialog.view()), 4);

    host.failSave = false;
    run.advanceDraw(); // the current prize's next press
    ASSERT_EQ(run.progress().state, DrawState::Scrolling);
    messages.shown.clear();
    pressButton(dialog, "forfeit");
    ASSERT_EQ(messages.shown.size(), 1u) << "no question while names scroll";
    EXPECT_EQ(messages.shown[0].text, u"停止滚动后才可弃奖");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialog.model().rowCount(), 5);
}

TEST_F(WinnersWindowTest, APrizeWhoseLastWinnerForfeitsLeavesTheChoices) {
    WinnersDialog dialog(env, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.show();
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("prizes"));
    ASSERT_NE(combo, nullptr);
    auto choices = [combo] {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(u'|').toStdString();
    };
    auto forfeitRow = [&](int row) {
        selectRow(dialog.view(), row);
        messages.answers = {MessageAnswer::Yes};
        pressButton(dialog, "forfeit");
    };

    // The chosen prize keeps its choice while it has winners, and goes with its last one: all prizes again.
    combo->setCurrentIndex(2);
    forfeitRow(0);
    EXPECT_EQ(choices(), "全部奖项|三等奖|二等奖");
    EXPECT_EQ(combo->currentText(), QStringLiteral("二等奖"));
    EXPECT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|二等奖|N4|"}));
    forfeitRow(0);
    EXPECT_EQ(choices(), "全部奖项|三等奖");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(rowsOf(dialog.model()),
              (std::vector<std::string>{"1|三等奖|N0|", "2|三等奖|N1|", "3|三等奖|N2|"}));

    // Under "全部奖项" the emptied prize leaves the list and the choice stays.
    for (int i = 0; i < 3; ++i)
        forfeitRow(0);
    EXPECT_TRUE(run.progress().winners.empty());
    EXPECT_EQ(choices(), "全部奖项");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(dialog.model().rowCount(), 0);
    EXPECT_EQ(messages.shown.back().text, u"确定弃奖？") << u8(messages.lastText());
}

TEST_F(WinnersWindowTest, PrintOnlyPointsToTheExports) {
    WinnersDialog dialog(env, nullptr);
    pressButton(dialog, "print");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"导出后打印即可");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_TRUE(files.titles.empty());
}

TEST_F(WinnersWindowTest, AnExportAsksForANewFolderAndReportsTheOutcome) {
    WinnersDialog dialog(env, nullptr);
    files.answers = {std::nullopt};
    pressButton(dialog, "exportWinners");
    EXPECT_EQ(files.titles.size(), 1u);
    EXPECT_TRUE(messages.shown.empty()) << "a cancelled folder question ends the export silently";

    files.answers = {dir.path()};
    pressButton(dialog, "exportNotYetWon");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.lastText().rfind(u"文件夹创建失败:\n", 0), 0u) << u8(messages.lastText());
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);

    messages.shown.clear();
    files.answers = {dir.path() / "名单"};
    pressButton(dialog, "exportNotYetWon");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"导出成功");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    const std::vector<char> bytes = fileBytes(dir.path() / "名单" / "_还未中奖名单.txt");
    const std::string expected("\xFF\xFE"
                               "N\0005\0\r\0\n\0N\0006\0\r\0\n\0N\0007\0\r\0\n\0",
                               2 + 3 * 8);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

    messages.shown.clear();
    files.answers = {dir.path() / "中奖"};
    pressButton(dialog, "exportWinners");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"导出成功");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "中奖" / "全部奖项.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "中奖" / "二等奖.txt"));
}

// "导出表格...": one workbook file where the operator says, its first sheet the winners of every prize; a
// write that fails says so and leaves nothing behind.
TEST_F(WinnersWindowTest, TheWorkbookExportWritesTheFileOrSaysWhyNot) {
    WinnersDialog dialog(env, nullptr);
    const std::filesystem::path file = dir.path() / "中奖名单.xlsx";
    files.answers = {file};
    pressButton(dialog, "exportWorkbook");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"导出成功");
    const Workbook book = readSheetFile(file);
    ASSERT_FALSE(book.failure);
    ASSERT_FALSE(book.sheets.empty());
    EXPECT_EQ(book.sheets[0].name, u"全部奖项");
    EXPECT_EQ(book.sheets[0].rows.size(),
              1 + static_cast<std::size_t>(winnerCount(run.progress().winners, u"")));

    messages.shown.clear();
    files.answers = {dir.path() / "没有的文件夹" / "中奖名单.xlsx"};
    pressButton(dialog, "exportWorkbook");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.lastText().rfind(u"写文件失败:\n", 0), 0u) << u8(messages.lastText());
}

TEST_F(WinnersWindowTest, ACancelledExportStopsAndShowsNothing) {
    const std::filesystem::path folder = dir.path() / "out";
    std::filesystem::create_directory(folder);
    ExportProgressDialog progress(ExportKind::NotYetWon, run, paths, folder, messages, nullptr);
    progress.requestCancel(); // before the first entry
    EXPECT_EQ(progress.exec(), QDialog::Rejected);
    EXPECT_TRUE(progress.result().cancelled);
    EXPECT_TRUE(progress.result().failure);
    EXPECT_TRUE(messages.shown.empty()) << "a cancelled export shows no message";
}

// "取消" pressed while the last entry is written: the export is complete on disk, yet the operator asked to
// stop, and a cancelled export says nothing.
TEST_F(WinnersWindowTest, ACancelDuringTheLastEntryStillShowsNothing) {
    const std::filesystem::path folder = dir.path() / "out";
    ASSERT_TRUE(createExportFolder(folder));
    const EntrantPool pool = run.progress().pool;
    ExportProgressDialog* self = nullptr;
    ExportProgressDialog progress(
        [&](const ExportCancelFlag& cancel, const WorkProgress& report) {
            return exportNotYetWon(pool, folder, {}, cancel, [&](int done, int total) {
                report(done, total);
                if (done == total) // past the last look at the flag
                    QMetaObject::invokeMethod(
                        self, [&] { self->requestCancel(); }, Qt::BlockingQueuedConnection);
            });
        },
        messages, nullptr);
    self = &progress;
    EXPECT_EQ(progress.exec(), QDialog::Rejected);
    EXPECT_FALSE(progress.result().cancelled) << "the worker had passed its last look at the flag";
    EXPECT_EQ(progress.result().done, 3);
    EXPECT_TRUE(messages.shown.empty()) << u8(messages.lastText());
    EXPECT_EQ(fileBytes(folder / "_还未中奖名单.txt").size(), 2u + 3 * 8) << "what was written stays";
}

TEST(WorkProgressDialogTest, TheBarFollowsTheWorkAndCancelWaitsForItToEnd) {
    qtApp();
    std::atomic<bool> stop{false};
    WorkProgressDialog dialog(
        QStringLiteral("正在导出..."), QStringLiteral("正在导出..."),
        [&stop](const WorkProgress& progress) {
            progress(3, 10);
            while (!stop.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        [&stop] { stop.store(true); }, nullptr);
    bool barFollowed = false;
    bool openAfterCancel = false;
    whenModalOpens<WorkProgressDialog>([&](WorkProgressDialog& open) {
        QProgressBar& bar = open.progressBar();
        barFollowed = QTest::qWaitFor([&] { return bar.value() == 3 && bar.maximum() == 10; }, 5000);
        pressButton(open, "cancel");
        openAfterCancel = open.isVisible();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(barFollowed);
    EXPECT_TRUE(openAfterCancel) << "the window closed under running work";
    EXPECT_TRUE(dialog.cancelRequested());
}

// A picture draw stopped on the first prize with the first two pictures as its winners, shown in their slots;
// the named pictures are in the picture folder.
class PictureDrawTest : public WinnersWindowTest {
protected:
    void resumePictureDraw(EntrantList pictures, std::initializer_list<const char*> files) {
        qtApp();
        drawMode = 1;
        prizes = {makePrize(u"一等奖", 2, 2)};
        pictureList = std::move(pictures);
        DrawProgress progress;
        progress.state = DrawState::Stopped;
        progress.drawnCount = 2;
        progress.shownCount = 2;
        for (std::size_t i = 0; i < 2; ++i) {
            addWinner(progress.winners, u"一等奖", pictureList[i]);
            progress.shownEntrants[i] = pictureList[i];
        }
        progress.pool = {pictureList[2]};
        run.resume(progress);
        std::filesystem::create_directories(paths.pictureFolder);
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        for (const char* name : files)
            ASSERT_TRUE(image.save(QString::fromStdU16String((paths.pictureFolder / name).u16string())));
    }
};

// Picture mode: the name column holds the file name without its extension, the hidden column the extension;
// the selected winner's picture shows with its size, and one that does not load is reported.
class WinnersPictureTest : public PictureDrawTest {
protected:
    void SetUp() override {
        resumePictureDraw({makeEntrant(u"Ann.png"), makeEntrant(u"Bob.jpg"), makeEntrant(u"Cy")},
                          {"Ann.png"});
    }
};

TEST_F(WinnersPictureTest, TheSelectedWinnersPictureShowsWithItsSizeOrIsReported) {
    WinnersDialog dialog(env, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.show();
    EXPECT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|一等奖|Ann|.png", "2|一等奖|Bob|.jpg"}));
    auto* info = dialog.findChild<QLabel*>(QStringLiteral("info"));
    ASSERT_NE(info, nullptr);
    ASSERT_NE(dialog.findChild<QWidget*>(QStringLiteral("preview")), nullptr);

    selectRow(dialog.view(), 0);
    EXPECT_EQ(info->text(), QStringLiteral("Ann.png\n40×30"));
    EXPECT_TRUE(messages.shown.empty());

    selectRow(dialog.view(), 1);
    EXPECT_TRUE(info->text().isEmpty()) << "the previous picture's text stays";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    const std::u16string expectedStart =
        u"图片加载失败:\n" + (paths.pictureFolder / "Bob.jpg").u16string() + u"\n\n";
    EXPECT_EQ(messages.lastText().rfind(expectedStart, 0), 0u) << u8(messages.lastText());

    // The forfeit takes the selected row's winner, stored with its extension.
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(names(run.progress().winners[0].entrants), u"Ann.png");
}

// "Wang.png" and "wang.png" are two people: the selected row forfeits, and its slot empties.
class WinnersNamesAlikeTest : public PictureDrawTest {
protected:
    void SetUp() override {
        resumePictureDraw({makeEntrant(u"Wang.png"), makeEntrant(u"wang.png"), makeEntrant(u"Li.png")},
                          {"Wang.png", "wang.png"});
    }
};

TEST_F(WinnersNamesAlikeTest, TheSelectedRowForfeitsNotTheFirstNameAlike) {
    WinnersDialog dialog(env, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.show();
    ASSERT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|一等奖|Wang|.png", "2|一等奖|wang|.png"}));

    selectRow(dialog.view(), 1);
    messages.answers = {MessageAnswer::Yes};
    pressButton(dialog, "forfeit");
    EXPECT_EQ(names(run.progress().winners[0].entrants), u"Wang.png");
    EXPECT_EQ(names(host.saved.back().winners[0].entrants), u"Wang.png") << "the saved draw";
    EXPECT_EQ(run.progress().slotForfeited[0], 0);
    EXPECT_EQ(run.progress().slotForfeited[1], 1) << "wang.png's slot empties";
    EXPECT_EQ(rowsOf(dialog.model()), (std::vector<std::string>{"1|一等奖|Wang|.png"}));
}

// F7 in the program: nothing before a draw; during one the window opens and a forfeit reaches the progress
// file.
class WinnersCommandTest : public ::testing::Test, protected AppHarness {};

TEST_F(WinnersCommandTest, F7OpensTheWindowOnlyDuringADrawAndTheForfeitIsSaved) {
    ASSERT_TRUE(savePrizes(paths, PrizeList{makePrize(u"一等奖", 2, 1)}));
    InterfaceSettings look;
    look.backgroundImage[0] = 0;
    ASSERT_TRUE(saveInterfaceSettings(paths, look));
    Application app{dir.path(), services};
    ASSERT_TRUE(app.startApplication());
    app.controller().records().textList.entries = makeNames(3);
    app.controller().records().drawMode.mode = kTextMode;
    messages.shown.clear();

    bool openedBeforeDraw = false;
    whenModalOpens<WinnersDialog>([&](WinnersDialog& dialog) {
        openedBeforeDraw = true;
        dialog.reject();
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::Winners));
    QApplication::processEvents(); // the hand on the dialog, had one opened
    EXPECT_FALSE(openedBeforeDraw);

    DrawRun& run = app.controller().run();
    run.startDraw();
    run.advanceDraw();
    run.advanceDraw();
    ASSERT_EQ(winnerCount(run.progress().winners, u""), 1) << u8(messages.lastText());
    const std::u16string winner(run.progress().winners[0].entrants[0].text());

    int rows = -1;
    whenModalOpens<WinnersDialog>([&](WinnersDialog& dialog) {
        rows = dialog.model().rowCount();
        selectRow(dialog.view(), 0);
        messages.answers = {MessageAnswer::Yes};
        pressButton(dialog, "forfeit");
        pressButton(dialog, "close");
    });
    ASSERT_TRUE(app.commands().trigger(CommandId::Winners));
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(run.progress().winners.empty());
    EXPECT_EQ(run.progress().drawnCount, 0);

    std::optional<DrawProgress> saved;
    ASSERT_TRUE(loadProgress(paths, app.controller().records().prizes, saved));
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE(saved->winners.empty()) << "the progress file still holds " << u8(winner);
    app.mainWindow().close();
}

} // namespace
} // namespace kelvora::test
