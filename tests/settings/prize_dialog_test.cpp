#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "draw/draw_run.h"
#include "platform/random.h"
#include "platform/text.h"
#include "records/prizes.h"
#include "settings/ui/prize_edit_dialog.h"
#include "settings/ui/prize_import_dialog.h"
#include "settings/ui/prize_settings_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

PrizeItem prize(std::u16string_view name) {
    PrizeItem p;
    setField(p.name, name);
    p.quota = 5;
    return p;
}

class PrizeDialogTest : public ::testing::Test {
protected:
    PrizeDialogTest() {
        for (int i = 0; i < 5; ++i)
            prizes.push_back(prize(u"P" + fromUtf8(std::to_string(i))));
    }

    void open(EditPrizeListsHook hook = {}) {
        dialog = std::make_unique<PrizeSettingsDialog>(prizes, paths, run, look, messages, files,
                                                       std::move(hook), nullptr);
        view = dialog->findChild<QTableView*>("prizes");
        ASSERT_NE(view, nullptr);
        tester = std::make_unique<QAbstractItemModelTester>(
            view->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        dialog->show();
    }

    void press(const char* button) {
        auto* b = dialog->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }

    void select(std::initializer_list<int> rows) {
        view->selectionModel()->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    std::vector<int> selected() const {
        std::vector<int> rows;
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::string order() const {
        std::string out;
        for (const PrizeItem& p : prizes)
            out += (out.empty() ? "" : ",") + u8(p.nameText());
        return out;
    }

    // The row as the view shows it, columns separated by "|".
    std::string shownRow(int row) const {
        std::string out;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            out += (c ? "|" : "") + view->model()->index(row, c).data().toString().toStdString();
        return out;
    }

    // Runs act on the add or modify dialog once it is open; the button that opens it is pressed after.
    void onEditDialog(std::function<void(PrizeEditDialog&)> act) {
        QTimer::singleShot(0, dialog.get(), [this, act = std::move(act)] {
            auto* edit = dialog->findChild<PrizeEditDialog*>();
            ASSERT_NE(edit, nullptr);
            act(*edit);
            if (edit->isVisible())
                edit->reject();
        });
    }

    static void type(PrizeEditDialog& edit, const char* field, const QString& text) {
        auto* line = edit.findChild<QLineEdit*>(field);
        ASSERT_NE(line, nullptr) << field;
        line->selectAll();
        // Typed key by key where QTest has the keys, so that the field sees it as typed; CJK text is pasted.
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(line, text);
        else
            line->insert(text);
    }

    void resumeAt(int prizeIndex) {
        DrawProgress saved;
        saved.prizeIndex = prizeIndex;
        run.resume(std::move(saved));
    }

    QApplication& app = qtApp();
    TempDir tmp;
    DataPaths paths{tmp.path()};
    PrizeList prizes;
    InterfaceSettings look;
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    FakeClock clock;
    Random15 random{clock};
    FakeDrawHost host;
    EntrantList names;
    std::int32_t drawMode = 0, speed = 30, musicOn = 0;
    DrawRun run{host, random, DrawSources{&prizes, &names, &names, &drawMode, &speed, &musicOn, &musicOn}};
    std::unique_ptr<PrizeSettingsDialog> dialog;
    QTableView* view = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(PrizeDialogTest, ButtonsEditTheLiveListTheSelectionFollowsAndClosingWritesIt) {
    open();
    EXPECT_EQ(shownRow(0), "1|P0|5|1个|1个|60||");
    EXPECT_EQ(view->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(245, 245, 245));

    select({2, 3});
    press("moveUp");
    EXPECT_EQ(order(), "P0,P2,P3,P1,P4");
    EXPECT_EQ(selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(shownRow(1).substr(0, 4), "2|P2");
    EXPECT_TRUE(dialog->prizesChanged());
    press("moveDown");
    press("moveDown");
    EXPECT_EQ(order(), "P0,P1,P4,P2,P3");
    EXPECT_EQ(selected(), (std::vector<int>{3, 4}));
    press("moveDown"); // the last row is selected: nothing
    EXPECT_EQ(order(), "P0,P1,P4,P2,P3");
    select({0});
    press("moveUp");
    EXPECT_EQ(order(), "P0,P1,P4,P2,P3");
    EXPECT_TRUE(messages.shown.empty());

    select({});
    press("modify");
    press("remove");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, u"请先选中要修改的奖项");
    EXPECT_EQ(messages.shown[1].text, u"请先选中要删除的奖项");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Information);

    select({1, 3});
    messages.answers = {MessageAnswer::No};
    press("remove");
    EXPECT_EQ(messages.lastText(), u"确定删除？");
    EXPECT_EQ(order(), "P0,P1,P4,P2,P3");
    messages.answers = {MessageAnswer::Yes};
    press("remove");
    EXPECT_EQ(order(), "P0,P4,P3");
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(shownRow(2).substr(0, 4), "3|P3");

    messages.answers = {MessageAnswer::Yes};
    press("reverse");
    EXPECT_EQ(order(), "P3,P4,P0");

    ASSERT_FALSE(fs::exists(paths.prizeFile));
    press("close");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->prizesChanged());
    EXPECT_TRUE(dialog->listEdited());
    PrizeList reread;
    ASSERT_TRUE(loadPrizes(paths, reread));
    ASSERT_EQ(reread.size(), 3u);
    EXPECT_EQ(reread[0].nameText(), u"P3");

    // A second opening that changes nothing writes nothing.
    fs::remove(paths.prizeFile);
    open();
    press("close");
    EXPECT_FALSE(fs::exists(paths.prizeFile));
    EXPECT_FALSE(dialog->listEdited());
}

TEST_F(PrizeDialogTest, DuringADrawTheDrawnPrizesStayAndTheCurrentOneIsModifiedWithItsNameLocked) {
    resumeAt(2);
    open();
    select({2});
    press("remove");
    EXPECT_EQ(messages.lastText(), u"抽奖中...\n只能删除还未开始抽的奖项");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    select({3});
    press("moveUp");
    EXPECT_EQ(messages.lastText(), u"抽奖中...\n只能移动还未开始抽的奖项");
    press("moveDown");
    EXPECT_EQ(order(), "P0,P1,P2,P4,P3");
    select({1});
    press("modify");
    EXPECT_EQ(messages.lastText(), u"抽奖中...\n只能修改还未抽或正在抽的奖项");
    press("clear");
    EXPECT_EQ(messages.lastText(), u"抽奖结束后才可清空");
    EXPECT_EQ(prizes.size(), 5u);

    // The current prize: name and quota locked, the rest taken; a notice once the dialog has been open 350
    // ms.
    messages.shown.clear();
    select({2});
    onEditDialog([&](PrizeEditDialog& edit) {
        EXPECT_FALSE(edit.findChild<QLineEdit*>("name")->isEnabled());
        EXPECT_FALSE(edit.findChild<QLineEdit*>("quota")->isEnabled());
        QTest::qWait(450);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, u"正在抽此奖项...\n奖项名称/名额不可修改");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
        edit.findChild<QLineEdit*>("name")->setText(QStringLiteral("Renamed"));
        type(edit, "perDraw", QStringLiteral("4"));
        type(edit, "prizeText", QStringLiteral("汽车"));
        edit.findChild<QPushButton*>("ok")->click();
    });
    prizes[2].blackList.push_back(makeEntrant(u"李四"));
    press("modify");
    EXPECT_EQ(prizes[2].nameText(), u"P2");
    EXPECT_EQ(prizes[2].perDraw, 4);
    EXPECT_EQ(fieldText(prizes[2].prizeText), u"汽车");
    EXPECT_EQ(prizes[2].blackList.size(), 1u); // its lists stay with it
    EXPECT_EQ(shownRow(2), "3|P2|5|4个|1个|60|汽车|");
}

TEST_F(PrizeDialogTest, AddingClampsTakesThePictureAndRefusesDuplicatesAndAFullList) {
    const fs::path picture = tmp.path() / "chosen" / "car.png";
    fs::create_directories(picture.parent_path());
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(picture.string())));
    files.answers = {picture};
    open();

    onEditDialog([&](PrizeEditDialog& edit) {
        auto* preview = edit.findChild<PrizePreview*>("preview");
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->fontSize(), 0); // nothing to show until a size is typed
        type(edit, "name", QStringLiteral(" 特等奖\u3000"));
        type(edit, "quota", QStringLiteral("3"));
        type(edit, "perDraw", QStringLiteral("10"));
        type(edit, "fontSize", QStringLiteral("200"));
        EXPECT_EQ(preview->fontSize(), 125);
        // The sample is drawn in the scroll font's text colour.
        const QImage shot = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb text = qRgb(colorRed(look.scrollFont.textColor), colorGreen(look.scrollFont.textColor),
                               colorBlue(look.scrollFont.textColor));
        int textPixels = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                textPixels += shot.pixel(x, y) == text;
        EXPECT_GT(textPixels, 100);

        edit.findChild<QPushButton*>("choosePicture")->click();
        EXPECT_EQ(edit.findChild<QLineEdit*>("imageFile")->text(), QStringLiteral("car.png"));
        EXPECT_TRUE(preview->hasPicture());
        EXPECT_TRUE(messages.shown.empty()) << u8(messages.lastText());
        edit.findChild<QPushButton*>("ok")->click();
        EXPECT_FALSE(edit.isVisible());
    });
    press("add");
    ASSERT_EQ(prizes.size(), 6u);
    EXPECT_EQ(prizes[5].nameText(), u"特等奖");
    EXPECT_EQ(prizes[5].perDraw, 3);
    EXPECT_EQ(prizes[5].fontSize, 125);
    EXPECT_EQ(fieldText(prizes[5].imageFile), u"car.png");
    EXPECT_TRUE(fs::exists(paths.prizeFolder / "car.png"));
    EXPECT_EQ(selected(), std::vector<int>{5});
    EXPECT_EQ(view->model()->rowCount(), 6);

    // Another prize's name in another case: refused, the dialog stays open and nothing is added.
    onEditDialog([&](PrizeEditDialog& edit) {
        type(edit, "name", QStringLiteral("p1"));
        edit.findChild<QPushButton*>("ok")->click();
        EXPECT_TRUE(edit.isVisible());
        EXPECT_EQ(messages.lastText(), u"此奖项已存在");
        edit.findChild<QPushButton*>("clearPicture")->click();
    });
    press("add");
    EXPECT_EQ(prizes.size(), 6u);

    // A full list is refused before the fields are read: an empty name would have been refused otherwise.
    while (prizes.size() < 256)
        prizes.push_back(prize(u"X" + fromUtf8(std::to_string(prizes.size()))));
    onEditDialog([&](PrizeEditDialog& edit) { edit.findChild<QPushButton*>("ok")->click(); });
    press("add");
    EXPECT_EQ(messages.lastText(), u"最多256个奖项");
    EXPECT_EQ(prizes.size(), 256u);
}

// Numbers beyond a field's limit are clamped, not cut to the field's width; a chosen picture never replaces
// another prize's picture of the same name.
TEST_F(PrizeDialogTest, NumbersAreClampedAndSameNamedPicturesStayTwoPictures) {
    auto writePicture = [&](const fs::path& path, Qt::GlobalColor colour) {
        fs::create_directories(path.parent_path());
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
    };
    writePicture(paths.prizeFolder / "奖品.png", Qt::red);
    setField(prizes[0].imageFile, u"奖品.png");
    writePicture(tmp.path() / "other" / "奖品.png", Qt::blue);
    fs::create_directories(tmp.path() / "same");
    fs::copy_file(paths.prizeFolder / "奖品.png", tmp.path() / "same" / "奖品.png");
    writePicture(tmp.path() / "spaced" / " 奖品 .png", Qt::green);
    files.answers = {tmp.path() / "same" / "奖品.png", tmp.path() / "spaced" / " 奖品 .png",
                     tmp.path() / "other" / "奖品.png"};
    open();

    onEditDialog([&](PrizeEditDialog& edit) {
        type(edit, "name", QStringLiteral("A"));
        type(edit, "quota", QStringLiteral("100000"));
        type(edit, "perDraw", QStringLiteral("99"));
        type(edit, "perLine", QStringLiteral("10"));
        type(edit, "fontSize", QStringLiteral("1000"));
        auto* imageFile = edit.findChild<QLineEdit*>("imageFile");
        auto* choose = edit.findChild<QPushButton*>("choosePicture");
        choose->click(); // the very bytes P0 shows: used where they are
        EXPECT_EQ(imageFile->text(), QStringLiteral("奖品.png"));
        choose->click(); // spaces at the ends belong to the file's name
        EXPECT_EQ(imageFile->text(), QStringLiteral(" 奖品 .png"));
        choose->click(); // another picture of P0's name
        EXPECT_EQ(imageFile->text(), QStringLiteral("奖品(2).png"));
        edit.findChild<QPushButton*>("ok")->click();
    });
    press("add");
    ASSERT_EQ(prizes.size(), 6u);
    EXPECT_EQ(prizes[5].quota, kMaxQuota);
    EXPECT_EQ(prizes[5].perDraw, kMaxShown);
    EXPECT_EQ(prizes[5].perLine, 5);
    EXPECT_EQ(prizes[5].fontSize, 125);
    EXPECT_EQ(fieldText(prizes[5].imageFile), u"奖品(2).png");
    EXPECT_EQ(QImage(QString::fromStdString((paths.prizeFolder / "奖品.png").string())).pixel(0, 0),
              QColor(Qt::red).rgb())
        << "P0's picture is still P0's";
    EXPECT_EQ(QImage(QString::fromStdString((paths.prizeFolder / "奖品(2).png").string())).pixel(0, 0),
              QColor(Qt::blue).rgb());
    EXPECT_TRUE(fs::exists(paths.prizeFolder / " 奖品 .png"));
}

TEST_F(PrizeDialogTest, ShiftDoubleClickOpensTheListEditorOfThatPrize) {
    std::vector<std::u16string> opened;
    open([&](QWidget*, PrizeItem& p) {
        opened.emplace_back(p.nameText());
        p.whiteList.push_back(makeEntrant(u"王五"));
        return true;
    });
    view->resize(800, 400);
    const QPoint row1 = view->visualRect(view->model()->index(1, 1)).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, row1);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(dialog->prizesChanged());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, row1);
    ASSERT_EQ(opened, std::vector<std::u16string>{u"P1"});
    EXPECT_EQ(prizes[1].whiteList.size(), 1u);
    EXPECT_TRUE(dialog->prizesChanged());

    // Without an editor the double click does nothing.
    open();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, row1);
    EXPECT_FALSE(dialog->prizesChanged());
}

TEST_F(PrizeDialogTest, AFailedWriteIsShownAndTriedAgainAtTheNextClosing) {
    // Two full white lists make a file the reader would delete unread: the write is refused.
    prizes[0].whiteList.assign(kMaxEntrants, makeEntrant(u"a"));
    prizes[1].whiteList.assign(kMaxEntrants, makeEntrant(u"b"));
    open();
    select({3});
    press("moveUp");
    press("close");
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_NE(messages.lastText().find(u"8388608"), std::u16string::npos) << u8(messages.lastText());
    EXPECT_TRUE(dialog->prizesChanged());
    EXPECT_FALSE(fs::exists(paths.prizeFile));

    // The operator shortens a list elsewhere; the next closing writes although nothing changed then.
    prizes[1].whiteList.clear();
    open();
    dialog->setPrizesChanged(true);
    press("close");
    EXPECT_FALSE(dialog->prizesChanged());
    PrizeList reread;
    ASSERT_TRUE(loadPrizes(paths, reread));
    EXPECT_EQ(reread[2].nameText(), u"P3");
}

TEST_F(PrizeDialogTest, ATableExportedAndImportedAgainGivesTheSamePrizesWithTheirLists) {
    prizes[1].blackList = entrantsNamed({u"张三"});
    const fs::path sheet = tmp.path() / "奖项.xlsx";
    open();
    files.answers = {sheet};
    press("exportSheet");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Information) << u8(messages.shown.back().text);
    const PrizeList exported = prizes;

    // The operator empties the table, then takes the sheet back in: the preview asks before anything changes.
    prizes.resize(2);
    prizes[1].blackList = entrantsNamed({u"李四"});
    dialog = nullptr;
    open();
    files.answers = {sheet, sheet};
    whenOpens<PrizeImportPreviewDialog>([](PrizeImportPreviewDialog& preview) { preview.reject(); });
    press("importSheet");
    EXPECT_EQ(order(), "P0,P1");
    whenOpens<PrizeImportPreviewDialog>([](PrizeImportPreviewDialog& preview) {
        auto* rows = preview.findChild<QTableView*>("prizes");
        EXPECT_EQ(rows->model()->rowCount(), 5);
        preview.accept();
    });
    press("importSheet");
    EXPECT_EQ(order(), "P0,P1,P2,P3,P4");
    for (std::size_t i = 0; i < prizes.size(); ++i)
        EXPECT_EQ(prizes[i].quota, exported[i].quota) << i;
    // A prize of the same name keeps the lists it has now, not those of the exported table.
    EXPECT_EQ(namesOf(prizes[1].blackList), std::vector<std::string>{"李四"});
    EXPECT_TRUE(dialog->prizesChanged());

    // During a draw the table is not replaced, and no file is asked for.
    resumeAt(1);
    const std::size_t asked = files.titles.size();
    press("importSheet");
    EXPECT_EQ(u8(messages.shown.back().text), "抽奖结束后才可从表格导入");
    EXPECT_EQ(files.titles.size(), asked);
}

} // namespace
} // namespace kelvora::test
