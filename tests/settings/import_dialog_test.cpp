// The import's dialogs offscreen: the progress dialog running the real worker with the real measuring font
// (finishing and cancelled), the import dialog's flow with its steps answered by the test, the alignment
// list, and the number generator's fields.

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "screen/font_setup.h"
#include "settings/ui/align_import_dialog.h"
#include "settings/ui/duplicates_dialog.h"
#include "settings/ui/import_dialog.h"
#include "settings/ui/import_progress_dialog.h"
#include "settings/ui/number_generator_dialog.h"
#include "support/test_support.h"
#include "support/widget_test_support.h"

namespace kelvora {
namespace {

using test::u8;

class WidgetsEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        const char* source = std::getenv("KELVORA_SOURCE_DIR");
        const std::filesystem::path root = source && *source ? source : KELVORA_SOURCE_ROOT;
        // The aliases give "新宋体" a face in which a Chinese character is two spaces wide.
        ASSERT_TRUE(loadFontAliases(root / "resources" / "fonts" / "kelvora-fonts.conf"));
        test::qtApp();
    }
};
[[maybe_unused]] ::testing::Environment* const g_widgets =
    ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);

template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

int cells(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text)
        width += c >= 0x2E80 ? 2 : 1;
    return width;
}

std::vector<ImportLine> linesOf(std::u16string_view text) {
    return readImportLines(text).lines;
}

ImportSettings leftAligned() {
    ImportSettings settings;
    settings.aligns = {ColumnAlign::Left, ColumnAlign::Left, ColumnAlign::None, ColumnAlign::None};
    return settings;
}

TEST(ImportProgressDialog, WorkerMeasuresInTheEditorFontAndFinishes) {
    QWidget editor;
    EXPECT_EQ(textWidth(&editor, u"张三"), 4);
    EXPECT_EQ(textWidth(&editor, u"销售部"), 6);
    EXPECT_EQ(textWidth(&editor, u"ab 1"), 4);
    EXPECT_EQ(textWidth(&editor, u""), 0);

    ImportProgressDialog dialog(linesOf(u"张三\t销售部\n李小四\t人事\n张三\t销售部\n"), leftAligned(),
                                importMeasureFont(&editor), nullptr);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    const ImportResult& result = dialog.result();
    EXPECT_FALSE(result.cancelled);
    ASSERT_EQ(result.entries.size(), 2u);
    EXPECT_EQ(u8(result.entries[0].text()), "张三   销售部");
    EXPECT_EQ(u8(result.entries[1].text()), "李小四 人事  ");
    EXPECT_EQ(result.duplicateCount, 1);
    QProgressBar* bar = child<QProgressBar>(dialog, "progress");
    EXPECT_EQ(bar->maximum(), 6);
    EXPECT_EQ(bar->value(), 6);
}

TEST(ImportProgressDialog, CancelStopsTheWorkerAndEscapeDoesNotLeaveItRunning) {
    std::vector<ImportLine> many;
    for (int i = 0; i < 20000; ++i)
        many.push_back(ImportLine{u"名字" + std::u16string(1, char16_t(0x4E00 + i)), {}, {}});
    ImportProgressDialog dialog(many, {}, importMeasureFont(nullptr), nullptr);
    child<QPushButton>(dialog, "cancel")->click();
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(dialog.result().cancelled);
    EXPECT_TRUE(dialog.result().entries.empty());

    // Escape only asks the worker to stop: the dialog closes when the worker has returned, with its result.
    ImportProgressDialog escaped(many, {}, importMeasureFont(nullptr), nullptr);
    escaped.reject();
    EXPECT_TRUE(escaped.isHidden());
    EXPECT_EQ(escaped.exec(), QDialog::Rejected);
    EXPECT_TRUE(escaped.result().cancelled);

    // A dialog that is destroyed without ever running leaves no thread behind.
    { ImportProgressDialog unused(many, {}, importMeasureFont(nullptr), nullptr); }
}

// An import dialog whose steps answer from the test.
struct ScriptedImport {
    test::RecordingMessageBox messages;
    TextNameList list;
    std::optional<ImportSettings> alignment = ImportSettings{};
    bool cancelImport = false;
    std::size_t linesImported = 0;
    int duplicatesShown = 0;
    std::optional<std::vector<std::u16string>> numbers;
    int minimized = 0;
    std::unique_ptr<ImportDialog> dialog;

    ScriptedImport() {
        ImportDialogSteps steps;
        steps.askAlignment = [this](QWidget*) { return alignment; };
        steps.runImport = [this](QWidget*, std::vector<ImportLine> lines, const ImportSettings& settings) {
            linesImported = lines.size();
            std::atomic<bool> cancel{cancelImport};
            return runImport(std::move(lines), settings, cells, cancel, {});
        };
        steps.showDuplicates = [this](QWidget*, const ImportResult&) { ++duplicatesShown; };
        steps.generateNumbers = [this](QWidget*) { return numbers; };
        steps.minimizeProgram = [this] { ++minimized; };
        dialog = std::make_unique<ImportDialog>(nullptr, list, messages, std::move(steps));
    }
    QPlainTextEdit* text() { return child<QPlainTextEdit>(*dialog, "text"); }
    void press(const char* name) { child<QPushButton>(*dialog, name)->click(); }
};

TEST(ImportDialog, ImportsPastedLinesAndReportsDuplicates) {
    ScriptedImport s;
    s.press("minimize");
    EXPECT_EQ(s.minimized, 1);

    // Nothing pasted: told so, and the dialog stays open.
    s.text()->setPlainText(QStringLiteral(" \n\t\n"));
    s.press("import");
    EXPECT_EQ(s.messages.lastText(), kNothingToImportText);
    EXPECT_EQ(s.messages.shown.back().icon, MessageIcon::Information);
    EXPECT_EQ(s.dialog->result(), QDialog::Rejected);

    // The alignment dialog cancelled: nothing is read and nothing said.
    s.text()->setPlainText(QStringLiteral("张三\t销售部\nABC\nabc\n"));
    s.alignment.reset();
    s.press("import");
    EXPECT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.linesImported, 0u);

    s.alignment = leftAligned();
    s.press("import");
    EXPECT_EQ(s.linesImported, 3u);
    ASSERT_EQ(s.list.entries.size(), 2u);
    EXPECT_EQ(s.list.spaceAligned, 1);
    EXPECT_EQ(s.duplicatesShown, 1);
    EXPECT_EQ(s.dialog->result(), QDialog::Accepted);
}

TEST(ImportDialog, CtrlTabLeavesTheTextWhosePlainTabSeparatesColumns) {
    ScriptedImport s;
    s.dialog->show();
    QApplication::setActiveWindow(s.dialog.get());
    s.text()->setFocus();
    auto send = [&](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(s.dialog->focusWidget(), &press);
    };
    send(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(s.dialog->focusWidget(), child<QPushButton>(*s.dialog, "minimize"));
    s.text()->setFocus();
    send(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.dialog->focusWidget(), child<QPushButton>(*s.dialog, "cancel"));
    EXPECT_TRUE(s.text()->toPlainText().isEmpty()) << "Ctrl+Tab typed into the text";
}

TEST(ImportDialog, CancelledImportEmptiesTheListAndKeepsTheText) {
    ScriptedImport s;
    s.text()->setPlainText(QStringLiteral("a\nb\n"));
    s.cancelImport = true;
    s.press("import");
    EXPECT_TRUE(s.list.entries.empty());
    EXPECT_EQ(s.dialog->result(), QDialog::Rejected);
    EXPECT_EQ(s.text()->toPlainText(), QStringLiteral("a\nb\n"));
}

TEST(ImportDialog, TooManyLinesWarnsAndImportsTheFirstThirtyThousand) {
    ScriptedImport s;
    QString text;
    for (int i = 0; i < kMaxEntrants + 1; ++i)
        text += QString::number(i) + QLatin1Char('\n');
    s.text()->setPlainText(text);
    s.press("import");
    EXPECT_EQ(s.messages.lastText(), kTooManyImportLinesText);
    EXPECT_EQ(s.messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_EQ(s.linesImported, static_cast<std::size_t>(kMaxEntrants));
    EXPECT_EQ(s.list.entries.size(), static_cast<std::size_t>(kMaxEntrants));
}

TEST(ImportDialog, GeneratedNumbersAreAppendedOnLinesOfTheirOwn) {
    ScriptedImport s;
    s.text()->setPlainText(QStringLiteral("张三"));
    s.press("generate"); // cancelled: nothing changes
    EXPECT_EQ(s.text()->toPlainText(), QStringLiteral("张三"));
    s.numbers = std::vector<std::u16string>{u"001", u"003"};
    s.press("generate");
    EXPECT_EQ(s.text()->toPlainText(), QStringLiteral("张三\n001\n003\n"));
    s.press("generate");
    EXPECT_EQ(s.text()->toPlainText(), QStringLiteral("张三\n001\n003\n001\n003\n"));
}

TEST(AlignImportDialog, ColumnListAndSeparator) {
    test::RecordingMessageBox messages;
    std::vector<ColumnAlign> answers{ColumnAlign::Left, ColumnAlign::Justify, ColumnAlign::None,
                                     ColumnAlign::Right};
    std::vector<ColumnAlign> askedWith;
    std::size_t next = 0;
    AlignImportDialog dialog(messages, nullptr,
                             [&](QWidget*, ColumnAlign value) -> std::optional<ColumnAlign> {
                                 askedWith.push_back(value);
                                 if (next >= answers.size())
                                     return std::nullopt;
                                 return answers[next++];
                             });
    auto* list = child<QListWidget>(dialog, "columns");
    auto press = [&](const char* name) { child<QPushButton>(dialog, name)->click(); };

    // Defaults: no columns aligned, one space between them.
    EXPECT_EQ(dialog.settings().aligns, (ColumnAligns{}));
    EXPECT_EQ(dialog.settings().separator, u" ");

    press("modify");
    EXPECT_EQ(messages.lastText(), u"请先选中要修改的项");
    for (int i = 0; i < 4; ++i)
        press("add");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("两端对齐"));
    press("add");
    EXPECT_EQ(messages.lastText(), u"最多4列");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Warning);
    EXPECT_EQ(list->count(), 4);

    // Modify asks with the item's value, replaces it in place, keeps it selected.
    answers.push_back(ColumnAlign::Right);
    list->setCurrentRow(1);
    press("modify");
    EXPECT_EQ(askedWith.back(), ColumnAlign::Justify);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("右对齐"));
    EXPECT_TRUE(list->item(1)->isSelected());

    list->setCurrentRow(0);
    press("remove");
    child<QRadioButton>(dialog, "separator4")->setChecked(true);
    const ImportSettings settings = dialog.settings();
    EXPECT_EQ(settings.aligns,
              (ColumnAligns{ColumnAlign::Right, ColumnAlign::None, ColumnAlign::Right, ColumnAlign::None}));
    EXPECT_EQ(settings.separator, u" - ");

    ColumnAlignDialog beyond(static_cast<ColumnAlign>(7), nullptr);
    EXPECT_EQ(beyond.value(), ColumnAlign::Justify);
}

TEST(NumberGeneratorDialog, FieldsAreClampedAndWrittenBack) {
    test::RecordingMessageBox messages;
    NumberGeneratorDialog dialog(messages, nullptr);
    auto* width = child<QLineEdit>(dialog, "width");
    auto* fixed = child<QCheckBox>(dialog, "fixedWidth");
    fixed->setChecked(false);
    EXPECT_FALSE(width->isEnabled());
    fixed->setChecked(true);
    EXPECT_TRUE(width->isEnabled());

    child<QLineEdit>(dialog, "start")->setText(QStringLiteral("5"));
    child<QLineEdit>(dialog, "end")->setText(QString());
    child<QLineEdit>(dialog, "step")->setText(QStringLiteral("0"));
    width->setText(QStringLiteral("20"));
    child<QLineEdit>(dialog, "prefix")->setText(QStringLiteral("A"));
    child<QPushButton>(dialog, "generate")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "end")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QLineEdit>(dialog, "step")->text(), QStringLiteral("1"));
    EXPECT_EQ(width->text(), QStringLiteral("16"));
    EXPECT_EQ(dialog.output(), (std::vector<std::u16string>{u"A0000000000000005"}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.shown.empty());

    NumberGeneratorDialog many(messages, nullptr);
    child<QLineEdit>(many, "start")->setText(QStringLiteral("0"));
    child<QLineEdit>(many, "end")->setText(QStringLiteral("30000"));
    child<QLineEdit>(many, "step")->setText(QStringLiteral("1"));
    child<QPushButton>(many, "generate")->click();
    EXPECT_EQ(many.output().size(), static_cast<std::size_t>(kMaxEntrants));
    EXPECT_EQ(messages.lastText(), kTooManyNumbersText);
    EXPECT_EQ(many.result(), QDialog::Accepted);
}

TEST(DuplicatesDialog, ShowsTheDroppedLinesAndTheirCount) {
    DuplicatesDialog dialog(2, u"abc \r\n王五\r\n", nullptr);
    EXPECT_EQ(child<QPlainTextEdit>(dialog, "lines")->toPlainText(), QStringLiteral("abc \n王五\n"));
    EXPECT_EQ(child<QLabel>(dialog, "count")->text(), QStringLiteral("2"));
}

// Not a check: with KELVORA_SCREENSHOTS=1 it writes the guide's pictures of the import dialogs into
// docs/screenshots of the source tree.
TEST(ImportScreenshots, WrittenWhenAsked) {
    const char* wanted = std::getenv("KELVORA_SCREENSHOTS");
    if (!wanted || std::string_view(wanted) != "1")
        return;
    const std::filesystem::path folder =
        std::filesystem::path(std::getenv("KELVORA_SOURCE_DIR")) / "docs" / "screenshots";
    auto save = [&](QWidget& widget, const char* name) {
        widget.adjustSize();
        EXPECT_TRUE(widget.grab().save(QString::fromStdString((folder / name).string()))) << name;
    };
    ScriptedImport s;
    s.text()->setPlainText(QStringLiteral("张三\t销售部\t001\n李小四\t人事\t002\n王五\t研发中心\t003\n"));
    save(*s.dialog, "import-dialog.png");
    test::RecordingMessageBox messages;
    std::vector<ColumnAlign> answers{ColumnAlign::Left, ColumnAlign::Justify, ColumnAlign::Right};
    std::size_t next = 0;
    AlignImportDialog align(messages, nullptr, [&](QWidget*, ColumnAlign) { return answers[next++]; });
    for (int i = 0; i < 3; ++i)
        child<QPushButton>(align, "add")->click();
    save(align, "import-align-dialog.png");
    NumberGeneratorDialog numbers(messages, nullptr);
    child<QLineEdit>(numbers, "filter")->setText(QStringLiteral("4，13"));
    save(numbers, "number-generator-dialog.png");
}

} // namespace
} // namespace kelvora
