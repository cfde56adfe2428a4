// The text list editor over a live list: its model, the sorts and the shuffle, the locks of a running draw,
// the re-import question, the export, saving when it closes, and selection mode.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <fstream>

#include "platform/qt_file_picker.h"
#include "settings/ui/entrant_list_model.h"
#include "settings/ui/text_list_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora::test {
namespace {

std::vector<std::string> names(const EntrantList& list) {
    std::vector<std::string> out;
    for (const Entrant& e : list)
        out.push_back(u8(e.text()));
    return out;
}

class TextListDialogTest : public ::testing::Test {
protected:
    TextListDialogTest() { qtApp(); }

    void setNames(std::initializer_list<std::u16string_view> entries) {
        list.entries.clear();
        for (auto name : entries)
            list.entries.push_back(makeEntrant(name));
    }
    TextListEnvironment environment(bool drawStarted = false) {
        return TextListEnvironment{paths, drawStarted, random, messages, files, importList};
    }
    static QPushButton& button(QWidget& dialog, const char* name) {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        if (!b)
            throw std::runtime_error(std::string("no button ") + name);
        return *b;
    }
    int messagesWith(std::u16string_view text) const {
        return static_cast<int>(std::count_if(messages.shown.begin(), messages.shown.end(),
                                              [&](const RecordedMessage& m) { return m.text == text; }));
    }

    TempDir temp;
    DataPaths paths{temp.path()};
    FakeClock clock;
    Random15 random{clock};
    RecordingMessageBox messages;
    ScriptedFilePicker files;
    ImportListHook importList;
    TextNameList list;
    bool changed = false;
};

TEST_F(TextListDialogTest, TheModelShowsTheLiveListAndFollowsEachRefill) {
    setNames({u"bob", u"Alice", u"张三", u"ab"});
    TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EntrantListModel& model = dialog.model();

    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(3, 0)).toInt(), 4);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("Alice"));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::BackgroundRole).value<QBrush>().color(),
              QColor(245, 245, 245));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("抽奖名单"));
    EXPECT_TRUE(model.headerData(0, Qt::Horizontal).toString().isEmpty());

    dialog.show();
    const int width = dialog.view().viewport()->width();
    EXPECT_EQ(dialog.view().horizontalHeader()->sectionSize(0), static_cast<int>(width * 0.075));
    EXPECT_EQ(dialog.view().horizontalHeader()->sectionSize(1), static_cast<int>(width * 0.86));
    EXPECT_EQ(dialog.view().selectionBehavior(), QAbstractItemView::SelectRows);

    // An import appends to the live list behind the model's back; the rows change only at the refill.
    list.entries.push_back(makeEntrant(u"新人"));
    EXPECT_EQ(model.rowCount(), 4);
    dialog.refill();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.data(model.index(4, 1)).toString(), QStringLiteral("新人"));
    dialog.done(0);
}

TEST_F(TextListDialogTest, SortsAndShuffleReorderTheListAndMarkItChanged) {
    setNames({u"bob", u"Alice", u"张三", u"ab", u"Carl"});
    TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);

    button(dialog, "ascending").click();
    EXPECT_EQ(names(list.entries), (std::vector<std::string>{"ab", "Alice", "bob", "Carl", "张三"}));
    EXPECT_EQ(dialog.model().data(dialog.model().index(1, 1)).toString(), QStringLiteral("Alice"));
    EXPECT_TRUE(changed);

    button(dialog, "descending").click();
    EXPECT_EQ(names(list.entries), (std::vector<std::string>{"张三", "Carl", "bob", "Alice", "ab"}));

    // The shuffle is reseeded from the clock: the same second gives the same order, and nobody is lost.
    setNames({u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"});
    dialog.refill();
    const EntrantList before = list.entries;
    button(dialog, "shuffle").click();
    const std::vector<std::string> first = names(list.entries);
    EXPECT_NE(first, names(before));
    std::vector<std::string> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, names(before));
    list.entries = before;
    button(dialog, "shuffle").click();
    EXPECT_EQ(names(list.entries), first);
    dialog.done(0);

    // One entry: nothing to reorder, nothing to save.
    setNames({u"solo"});
    changed = false;
    TextListDialog single(list, changed, environment(), TextListMode::Edit, nullptr);
    button(single, "ascending").click();
    button(single, "shuffle").click();
    EXPECT_FALSE(changed);
}

TEST_F(TextListDialogTest, ARunningDrawLocksTheListSaysSoOnceAndStillExports) {
    setNames({u"bob", u"Alice"});
    list.spaceAligned = 1;
    messages.answers = {MessageAnswer::Yes};
    importList = [](QWidget*, TextNameList&) { return false; };
    TextListDialog dialog(list, changed, environment(true), TextListMode::Edit, nullptr);
    for (const char* name : {"ascending", "descending", "shuffle", "reimport"})
        EXPECT_FALSE(button(dialog, name).isEnabled()) << name;
    EXPECT_TRUE(button(dialog, "export").isEnabled());
    EXPECT_TRUE(button(dialog, "ok").isEnabled());

    // Reached without the buttons (a key, a stray signal), the actions still refuse.
    dialog.sortList(SortOrder::Ascending);
    dialog.shuffleList();
    dialog.reimport();
    EXPECT_EQ(names(list.entries), (std::vector<std::string>{"bob", "Alice"}));
    EXPECT_EQ(list.spaceAligned, 1);
    EXPECT_FALSE(changed);
    EXPECT_TRUE(messages.shown.empty()) << "the re-import question was asked during a draw";

    dialog.show();
    QTest::qWait(450);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kListLockedText);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(messages.shown[0].owner, static_cast<QWidget*>(&dialog));

    const auto file = temp.path() / "名单";
    files.answers = {file};
    button(dialog, "export").click();
    std::ifstream in(file.string() + ".txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, std::string("\xFF\xFE"
                                 "b\0o\0b\0\r\0\n\0A\0l\0i\0c\0e\0\r\0\n\0",
                                 26));
    EXPECT_EQ(messages.lastText(), kExportDoneText);

    dialog.hide();
    dialog.show();
    QTest::qWait(450);
    EXPECT_EQ(messagesWith(kListLockedText), 1) << "the lock message is shown once per window";
    dialog.done(0);
}

TEST_F(TextListDialogTest, ReimportAsksBeforeEmptyingAndHandsTheWindowToTheImport) {
    setNames({u"a", u"b", u"c"});
    list.spaceAligned = 1;
    QWidget* measuredIn = nullptr;
    std::size_t entriesSeen = 99;
    int imports = 0;
    importList = [&](QWidget* window, TextNameList& target) {
        ++imports;
        measuredIn = window;
        entriesSeen = target.entries.size();
        EXPECT_EQ(target.spaceAligned, 0);
        target.entries.push_back(makeEntrant(u"x"));
        target.entries.push_back(makeEntrant(u"y"));
        return true;
    };
    TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
    QAbstractItemModelTester tester(&dialog.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(dialog.font().family(), QStringLiteral("新宋体"));
    EXPECT_EQ(dialog.font().pointSize(), 10);

    messages.answers = {MessageAnswer::No};
    button(dialog, "reimport").click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kReimportQuestion);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(names(list.entries), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.spaceAligned, 1);
    EXPECT_EQ(imports, 0);
    EXPECT_FALSE(changed);

    messages.answers = {MessageAnswer::Yes};
    button(dialog, "reimport").click();
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(measuredIn, &dialog);
    EXPECT_EQ(entriesSeen, 0u) << "the old entries were still there when the import began";
    EXPECT_EQ(names(list.entries), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(dialog.model().rowCount(), 2);
    EXPECT_TRUE(changed);

    // An empty list has nothing to lose: straight to the import.
    list.entries.clear();
    dialog.refill();
    const std::size_t asked = messages.shown.size();
    button(dialog, "reimport").click();
    EXPECT_EQ(messages.shown.size(), asked);
    EXPECT_EQ(imports, 2);
    dialog.done(0);
}

TEST_F(TextListDialogTest, WithoutAnImportReimportIsGreyedAndNeverEmptiesTheList) {
    setNames({u"a", u"b"});
    messages.answers = {MessageAnswer::Yes};
    TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
    EXPECT_FALSE(button(dialog, "reimport").isEnabled());
    dialog.reimport();
    EXPECT_EQ(list.entries.size(), 2u);
    EXPECT_TRUE(messages.shown.empty());
    dialog.done(0);
}

TEST_F(TextListDialogTest, ClosingSavesOnlyAChangedListAndRetriesAFailedSave) {
    setNames({u"bob", u"Alice"});
    {
        TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_FALSE(std::filesystem::exists(paths.textListFile)) << "an unchanged list was written";

    // The settings folder cannot be made (a name longer than any file system takes): the message names the
    // failure and the list stays marked, so the next closing writes it.
    const DataPaths unwritable(temp.path() / std::string(300, 'x'));
    {
        TextListEnvironment env{unwritable, false, random, messages, files, {}};
        TextListDialog dialog(list, changed, env, TextListMode::Edit, nullptr);
        button(dialog, "ascending").click();
        button(dialog, "ok").click();
        EXPECT_FALSE(dialog.isVisible());
    }
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown.back().text.rfind(u"写文件失败", 0), 0u) << u8(messages.shown.back().text);
    EXPECT_TRUE(changed);

    {
        TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
        button(dialog, "ok").click();
    }
    EXPECT_FALSE(changed);
    TextNameList stored;
    ASSERT_TRUE(loadTextNameList(paths, stored));
    EXPECT_EQ(names(stored.entries), (std::vector<std::string>{"Alice", "bob"}));
}

TEST_F(TextListDialogTest, ExportReportsFailuresAndDoesNothingWhenCancelled) {
    setNames({u"a"});
    TextListDialog dialog(list, changed, environment(), TextListMode::Edit, nullptr);
    files.answers = {std::nullopt};
    button(dialog, "export").click();
    EXPECT_TRUE(messages.shown.empty());

    files.answers = {temp.path() / "no-such-folder" / "out.txt"};
    button(dialog, "export").click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].text.rfind(u"写文件失败", 0), 0u);
    EXPECT_EQ(messages.shown[0].text.find(u"导出成功"), std::u16string::npos);
    EXPECT_FALSE(changed);
    dialog.done(0);
}

// The program's own save dialog: "名单" typed over an existing "名单.txt" is the file that would be written,
// so the dialog asks about it before anything is replaced.
TEST_F(TextListDialogTest, TheSaveDialogAsksAboutTheFileWithItsExtension) {
    const std::filesystem::path existing = temp.path() / "名单.txt";
    std::ofstream(existing) << "the earlier export";
    QString question;
    whenOpens<QFileDialog>([&](QFileDialog& dialog) {
        dialog.setDirectory(QString::fromStdString(temp.path().string()));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("名单"));
        whenOpens<QMessageBox>([&](QMessageBox& box) {
            question = box.text();
            box.button(QMessageBox::Yes)->click();
        });
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    QtFilePicker picker;
    const std::optional<std::filesystem::path> chosen =
        picker.saveFile(nullptr, u"导出", u"抽奖名单.txt", u"文件文件(txt) (*.txt)");
    EXPECT_TRUE(question.contains(QStringLiteral("名单.txt"))) << question.toStdString();
    EXPECT_EQ(chosen, existing);
}

TEST_F(TextListDialogTest, SelectionModeHandsOnThePickedRowsInRowOrder) {
    setNames({u"r0", u"r1", u"r2", u"r3", u"r4", u"r5", u"r6"});
    whenModalOpens<TextListDialog>([](TextListDialog& dialog) {
        QItemSelectionModel* selection = dialog.view().selectionModel();
        const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
        selection->select(dialog.model().index(5, 0), rows);
        selection->select(dialog.model().index(2, 1), rows);
        dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    const EntrantList picked = pickTextEntrants(nullptr, list, changed, environment());
    EXPECT_EQ(names(picked), (std::vector<std::string>{"r2", "r5"}));
    EXPECT_EQ(list.entries.size(), 7u) << "picking must not take entries out of the list";

    // Escape picks as well, and nothing selected hands on nothing.
    whenModalOpens<TextListDialog>([](TextListDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_TRUE(pickTextEntrants(nullptr, list, changed, environment()).empty());
}

TEST_F(TextListDialogTest, SelectionModeExplainsMultipleSelectionAfterTheLock) {
    setNames({u"a", u"b"});
    TextListDialog dialog(list, changed, environment(true), TextListMode::Select, nullptr);
    EXPECT_EQ(dialog.view().selectionMode(), QAbstractItemView::ExtendedSelection);
    dialog.show();
    QTest::qWait(450);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, kListLockedText);
    EXPECT_EQ(messages.shown[1].text, kSelectionHintText);
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Information);
    dialog.done(0);
}

} // namespace
} // namespace kelvora::test
