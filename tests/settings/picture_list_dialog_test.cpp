// The picture list editor and the photo import's dialogs, offscreen: the preview, the locks of a running
// draw, saving when it closes, selection mode, the import dialog's refusals, and a whole re-import.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "settings/ui/entrant_list_model.h"
#include "settings/ui/photo_import_dialog.h"
#include "settings/ui/picture_list_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"
#include "ui/qt_text.h"

namespace kelvora::test {
namespace {

namespace fs = std::filesystem;

template <class W> W& child(QWidget& parent, const char* name) {
    auto* widget = parent.findChild<W*>(QString::fromLatin1(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

void writePicture(const fs::path& path, int width, int height, QColor colour = Qt::red) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
}

class PictureListDialogTest : public ::testing::Test {
protected:
    PictureListDialogTest() {
        qtApp();
        fs::create_directories(paths.pictureFolder);
    }

    void setNames(std::initializer_list<std::u16string_view> entries) {
        list.entries.clear();
        for (auto name : entries)
            list.entries.push_back(makeEntrant(name));
    }
    PictureListEnvironment environment(bool drawStarted = false) {
        return PictureListEnvironment{paths, drawStarted, random, messages, files};
    }
    void selectRow(PictureListDialog& dialog, int row) {
        dialog.view().selectionModel()->select(
            dialog.model().index(row, 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TempDir temp;
    DataPaths paths{temp.path()};
    FakeClock clock;
    Random15 random{clock};
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    PictureNameList list;
    bool changed = false;
};

TEST_F(PictureListDialogTest, SelectingARowPreviewsThePhotoOrSaysWhyNot) {
    writePicture(paths.pictureFolder / "a.png", 500, 400);
    setNames({u"a.png", u"gone.png"});
    PictureListDialog dialog(list, changed, environment(), PictureListMode::Edit, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(dialog.model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("名单"));
    dialog.show();
    QTest::qWait(450); // past the opening messages: none outside a draw in edit mode
    EXPECT_TRUE(messages.shown.empty());

    auto& info = child<QLabel>(dialog, "info");
    auto& preview = child<PicturePreview>(dialog, "preview");
    selectRow(dialog, 0);
    EXPECT_EQ(info.text(), QStringLiteral("a.png\n500×400"));
    ASSERT_TRUE(preview.picture().isValid());
    // Shape kept, against the right edge and the top: the opposite corner stays empty.
    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(shown.width() - 1, 0)), QColor(Qt::red));
    EXPECT_NE(QColor(shown.pixel(0, shown.height() - 1)), QColor(Qt::red));

    selectRow(dialog, 1);
    EXPECT_TRUE(info.text().isEmpty());
    EXPECT_FALSE(preview.picture().isValid());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(u8(messages.shown[0].text), "图片加载失败:\n" + u8(kPictureMissingText));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    dialog.done(0);
}

TEST_F(PictureListDialogTest, ReorderingMarksTheListAndClosingSavesIt) {
    setNames({u"b.png", u"a.png", u"c.png"});
    PictureListDialog dialog(list, changed, environment(), PictureListMode::Edit, nullptr);
    child<QPushButton>(dialog, "ascending").click();
    EXPECT_EQ(namesOf(list.entries), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
    EXPECT_TRUE(changed);
    child<QPushButton>(dialog, "descending").click();
    EXPECT_EQ(namesOf(list.entries), (std::vector<std::string>{"c.png", "b.png", "a.png"}));
    child<QPushButton>(dialog, "shuffle").click();
    EXPECT_EQ(list.entries.size(), 3u);

    child<QPushButton>(dialog, "ok").click();
    EXPECT_FALSE(changed);
    PictureNameList saved;
    ASSERT_TRUE(loadPictureNameList(paths, saved));
    EXPECT_EQ(namesOf(saved.entries), namesOf(list.entries));
}

TEST_F(PictureListDialogTest, ADrawLocksTheListAndSelectionModePicks) {
    setNames({u"r0.png", u"r1.png", u"r2.png", u"r3.png"});
    PictureListDialog locked(list, changed, environment(true), PictureListMode::Select, nullptr);
    for (const char* name : {"ascending", "descending", "shuffle", "reimport"})
        EXPECT_FALSE(child<QPushButton>(locked, name).isEnabled()) << name;
    EXPECT_TRUE(child<QPushButton>(locked, "ok").isEnabled());
    locked.sortList(SortOrder::Descending);
    locked.shuffleList();
    locked.reimport();
    EXPECT_EQ(namesOf(list.entries), (std::vector<std::string>{"r0.png", "r1.png", "r2.png", "r3.png"}));
    EXPECT_FALSE(changed);
    locked.show();
    QTest::qWait(450);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, kListLockedText);
    EXPECT_EQ(messages.shown[1].text, kSelectionHintText);
    locked.done(0);

    whenModalOpens<PictureListDialog>([](PictureListDialog& dialog) {
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        dialog.view().selectionModel()->select(dialog.model().index(3, 0), rows);
        dialog.view().selectionModel()->select(dialog.model().index(1, 1), rows);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    const EntrantList picked = pickPictureEntrants(nullptr, list, changed, environment());
    EXPECT_EQ(namesOf(picked), (std::vector<std::string>{"r1.png", "r3.png"}));
    EXPECT_EQ(list.entries.size(), 4u);
}

TEST_F(PictureListDialogTest, TheImportDialogRefusesBadFieldsAndTakesTheChosenFolder) {
    PhotoImportDialog dialog(files, messages, nullptr);
    auto& size = child<QLineEdit>(dialog, "size");
    auto& folder = child<QLineEdit>(dialog, "folder");
    EXPECT_EQ(size.text(), QStringLiteral("650"));

    size.setText(QStringLiteral("1301"));
    child<QPushButton>(dialog, "import").click();
    EXPECT_EQ(messages.lastText(), kShrinkSizeInvalidText);
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    size.setText(QStringLiteral("800"));
    child<QPushButton>(dialog, "import").click();
    EXPECT_EQ(messages.lastText(), kNoSourceFolderText);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open: neither refusal closed it

    files.answers = {std::nullopt, temp.path() / "照片"};
    child<QPushButton>(dialog, "choose").click(); // cancelled: the field stays empty
    EXPECT_TRUE(folder.text().isEmpty());
    child<QPushButton>(dialog, "choose").click();
    EXPECT_EQ(u8(files.titles.back()), "选图片文件夹:");
    EXPECT_EQ(folder.text().toStdString(), (temp.path() / "照片").string());
    child<QPushButton>(dialog, "import").click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.request().sourceFolder, temp.path() / "照片");
    EXPECT_EQ(dialog.request().shrinkSize, 800);
}

TEST_F(PictureListDialogTest, ReimportReplacesTheFolderAndReportsHiddenFiles) {
    writePicture(paths.pictureFolder / "old.png", 40, 30);
    setNames({u"old.png"});
    const fs::path source = temp.path() / "photos";
    fs::create_directories(source);
    writePicture(source / "new.png", 500, 400);
    writePicture(source / ".hidden.png", 40, 30);

    PictureListDialog dialog(list, changed, environment(), PictureListMode::Edit, nullptr);
    // No keeps everything.
    messages.answers = {MessageAnswer::No};
    dialog.reimport();
    EXPECT_EQ(list.entries.size(), 1u);
    EXPECT_FALSE(changed);

    messages.answers = {MessageAnswer::Yes};
    whenOpens<PhotoImportDialog>([&](PhotoImportDialog& import) {
        child<QLineEdit>(import, "folder").setText(QString::fromStdString(source.string()));
        child<QPushButton>(import, "import").click();
    });
    std::u16string hiddenShown;
    QString countShown;
    whenOpens<HiddenPicturesDialog>([&](HiddenPicturesDialog& hidden) {
        hiddenShown = toU16String(hidden.findChild<QPlainTextEdit*>()->toPlainText());
        countShown = child<QLabel>(hidden, "count").text();
        child<QPushButton>(hidden, "ok").click();
    });
    dialog.reimport();
    EXPECT_EQ(namesOf(list.entries), (std::vector<std::string>{"new.png"}));
    EXPECT_DOUBLE_EQ(list.aspectRatio, 1.25);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(fs::exists(paths.pictureFolder / "old.png"));
    EXPECT_TRUE(fs::exists(paths.pictureFolder / "new.png"));
    EXPECT_EQ(u8(hiddenShown), ".hidden.png\n");
    EXPECT_EQ(countShown, QStringLiteral("1"));
    EXPECT_EQ(dialog.model().rowCount(), 1);
    dialog.done(0);
}

// The question answered Yes, then the import dialog cancelled: the list that was emptied comes back. (A
// mistyped folder is the photo end-to-end run's.)
TEST_F(PictureListDialogTest, AReimportThatDoesNotHappenBringsTheListBack) {
    writePicture(paths.pictureFolder / "old.png", 40, 30);
    setNames({u"old.png"});
    PictureListDialog dialog(list, changed, environment(), PictureListMode::Edit, nullptr);
    messages.answers = {MessageAnswer::Yes};
    whenOpens<PhotoImportDialog>(
        [&](PhotoImportDialog& import) { child<QPushButton>(import, "cancel").click(); });
    dialog.reimport();
    EXPECT_EQ(namesOf(list.entries), (std::vector<std::string>{"old.png"}));
    EXPECT_EQ(dialog.model().rowCount(), 1);
    dialog.done(0);
}

// "取消" pressed while the last picture was being copied: the work never saw the request, but the import is
// thrown away all the same.
TEST_F(PictureListDialogTest, ACancelDuringTheLastPictureStillCancels) {
    const fs::path source = temp.path() / "photos";
    fs::create_directories(source);
    writePicture(source / "only.png", 40, 30);
    PhotoImportProgressDialog progress(paths, PhotoImportRequest{source, 650}, nullptr);
    QProgressBar& bar = progress.progressBar();
    // The bar reaches its end once the last picture is done, just before the work ends.
    QObject::connect(&bar, &QProgressBar::valueChanged, &progress, [&](int value) {
        if (value > 0 && value == bar.maximum())
            progress.requestCancel();
    });
    progress.exec();
    EXPECT_TRUE(progress.result().cancelled);
    EXPECT_EQ(progress.result().entries.size(), 1u) << "the work had finished the picture";
}

} // namespace
} // namespace kelvora::test
