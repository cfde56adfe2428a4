#include "settings/ui/prize_import_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/text.h"
#include "settings/ui/prize_settings_dialog.h"
#include "sheets/prize_sheet.h"
#include "sheets/sheet_file.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"
#include "ui/report_view.h"

namespace kelvora {

namespace {

// Enough lines to see what is wrong with a sheet without a box taller than the screen.
constexpr std::size_t kShownProblems = 15;

std::u16string joinLines(const std::vector<std::u16string>& lines, std::size_t most) {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size() && i < most; ++i)
        text.append(lines[i]).append(u"\n");
    if (lines.size() > most)
        text += formatText(u"...(共 %s 处)", {decimalText(static_cast<long long>(lines.size()))});
    return text;
}

} // namespace

PrizeImportPreviewDialog::PrizeImportPreviewDialog(const PrizeList& prizes,
                                                   const std::vector<std::u16string>& notes,
                                                   const std::u16string& question, QWidget* parent)
    : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("从表格导入"));
    resize(860, 460);
    auto* layout = new QVBoxLayout(this);
    auto* view = new QTableView(this);
    view->setObjectName(QStringLiteral("prizes"));
    view->setModel(new PrizeTableModel(prizes, view));
    setUpReportView(*view);
    layout->addWidget(view, 1);
    if (!notes.empty()) {
        auto* noteBox = new QPlainTextEdit(toQString(joinLines(notes, notes.size())), this);
        noteBox->setObjectName(QStringLiteral("notes"));
        noteBox->setReadOnly(true);
        noteBox->setMaximumHeight(90);
        layout->addWidget(noteBox);
    }
    auto* ask = new QLabel(toQString(question), this);
    ask->setObjectName(QStringLiteral("question"));
    layout->addWidget(ask);
    auto* replace = namedButton(QStringLiteral("替换"), "replace", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {replace, cancel});
    connect(replace, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<PrizeList> askPrizeSheet(QWidget* owner, const PrizeList& current,
                                       const std::filesystem::path& prizeFolder, MessageBox& messages,
                                       FilePicker& files) {
    const std::optional<std::filesystem::path> file =
        files.openFile(owner, u"选择奖项表格", kSheetFileFilter, std::filesystem::path());
    if (!file)
        return std::nullopt;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Workbook book = readSheetFile(*file);
    QApplication::restoreOverrideCursor();
    if (book.failure) {
        messages.show(owner, sheetFailureText(*book.failure, *file), MessageIcon::Error);
        return std::nullopt;
    }
    const Sheet* sheet = findSheet(book, u"奖项");
    if (!sheet)
        sheet = findSheet(book, u"");
    if (!sheet) {
        messages.show(owner, sheetFailureText({SheetFault::NoSheet, {}}, *file), MessageIcon::Error);
        return std::nullopt;
    }
    PrizeSheetRead read = readPrizeSheet(*sheet, current, prizeFolder);
    if (!read.problems.empty()) {
        messages.show(
            owner, formatText(u"表格中有以下问题，未导入:\n\n%s", {joinLines(read.problems, kShownProblems)}),
            MessageIcon::Warning);
        return std::nullopt;
    }
    std::u16string question = formatText(u"用表格中的 %s 个奖项替换现有的 %s 个奖项？",
                                         {decimalText(static_cast<long long>(read.prizes.size())),
                                          decimalText(static_cast<long long>(current.size()))});
    if (read.keptLists > 0)
        question += u"\n同名奖项保留原有的黑白名单。";
    PrizeImportPreviewDialog preview(read.prizes, read.notes, question, owner);
    if (preview.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::move(read.prizes);
}

} // namespace kelvora
