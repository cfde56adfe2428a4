#include "sheets/ui/sheet_import_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/text.h"
#include "settings/list_import.h"
#include "sheets/sheet_file.h"
#include "sheets/text_table.h"
#include "sheets/ui/sheet_preview_model.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

struct SeparatorChoice {
    const char16_t* text;
    char16_t separator;
};
constexpr SeparatorChoice kSeparators[] = {
    {u"逗号 ,", u','}, {u"分号 ;", u';'}, {u"Tab", u'\t'}, {u"无(一行一列)", 0}};

} // namespace

SheetImportDialog::SheetImportDialog(std::filesystem::path file, Workbook book, MessageBox& messages,
                                     QWidget* parent)
    : CenteredDialog(parent), m_file(std::move(file)), m_book(std::move(book)), m_messages(messages) {
    setWindowTitle(QStringLiteral("从文件导入"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("文件: ") + toQString(m_file.u16string()), this));

    auto* choices = new QHBoxLayout;
    m_sheets = new QComboBox(this);
    m_sheets->setObjectName(QStringLiteral("sheet"));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("encoding"));
    m_separator = new QComboBox(this);
    m_separator->setObjectName(QStringLiteral("separator"));
    const bool text = m_book.kind == SheetFileKind::Text;
    if (text) {
        for (const std::string& name : textTableEncodings())
            m_encoding->addItem(QString::fromStdString(name));
        m_encoding->setCurrentText(QString::fromStdString(m_book.encoding));
        for (const SeparatorChoice& choice : kSeparators) {
            m_separator->addItem(QString::fromUtf16(choice.text),
                                 QVariant(static_cast<int>(choice.separator)));
            if (choice.separator == m_book.separator)
                m_separator->setCurrentIndex(m_separator->count() - 1);
        }
        choices->addWidget(new QLabel(QStringLiteral("编码:"), this));
        choices->addWidget(m_encoding);
        choices->addWidget(new QLabel(QStringLiteral("分隔符:"), this));
        choices->addWidget(m_separator);
        m_sheets->hide();
    } else {
        for (const Sheet& sheet : m_book.sheets)
            m_sheets->addItem(toQString(sheet.name));
        choices->addWidget(new QLabel(QStringLiteral("工作表:"), this));
        choices->addWidget(m_sheets);
        m_encoding->hide();
        m_separator->hide();
    }
    m_header = new QCheckBox(QStringLiteral("第一行是标题(不导入)"), this);
    m_header->setObjectName(QStringLiteral("header"));
    choices->addSpacing(16);
    choices->addWidget(m_header);
    choices->addStretch();
    layout->addLayout(choices);

    layout->addWidget(new QLabel(QStringLiteral("点击列标题选择要导入的列（☑ 导入，☐ 不导入）:"), this));
    m_model = new SheetPreviewModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("preview"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionsClickable(true);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumSize(640, 360);
    layout->addWidget(m_table, 1);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);

    auto* ok = namedButton(QStringLiteral("导入到文本框"), "ok", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {ok, cancel});

    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_model->toggleColumn(column);
        updateSummary();
    });
    connect(m_sheets, &QComboBox::currentIndexChanged, this, [this] { showSheet(); });
    connect(m_encoding, &QComboBox::currentIndexChanged, this, [this] { rereadText(); });
    connect(m_separator, &QComboBox::currentIndexChanged, this, [this] { rereadText(); });
    connect(m_header, &QCheckBox::toggled, this, [this](bool header) {
        m_model->setHeaderRow(header);
        updateSummary();
    });
    connect(ok, &QPushButton::clicked, this, &SheetImportDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showSheet();
}

const Sheet* SheetImportDialog::currentSheet() const {
    const int index = m_book.kind == SheetFileKind::Text ? 0 : m_sheets->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_book.sheets.size()))
        return nullptr;
    return &m_book.sheets[static_cast<std::size_t>(index)];
}

void SheetImportDialog::showSheet() {
    const Sheet* sheet = currentSheet();
    m_model->setSheet(sheet);
    {
        const QSignalBlocker quiet(m_header);
        m_header->setChecked(sheet && looksLikeHeader(*sheet));
    }
    m_model->setHeaderRow(m_header->isChecked());
    m_table->resizeColumnsToContents();
    updateSummary();
}

void SheetImportDialog::rereadText() {
    TextTableOptions options;
    options.encoding = m_encoding->currentText().toStdString();
    options.separator = static_cast<char16_t>(m_separator->currentData().toInt());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Workbook again = readTextTable(m_file, options);
    QApplication::restoreOverrideCursor();
    if (again.failure) {
        m_messages.show(this, sheetFailureText(*again.failure, m_file), MessageIcon::Error);
        // The choices go back to those of the table still shown.
        const QSignalBlocker quietEncoding(m_encoding);
        const QSignalBlocker quietSeparator(m_separator);
        m_encoding->setCurrentText(QString::fromStdString(m_book.encoding));
        m_separator->setCurrentIndex(m_separator->findData(static_cast<int>(m_book.separator)));
        return;
    }
    m_book = std::move(again);
    showSheet();
}

SheetImportText SheetImportDialog::chosenText() const {
    const Sheet* sheet = currentSheet();
    if (!sheet)
        return {};
    SheetImportChoice choice;
    choice.columns = m_model->keptColumns();
    choice.header = m_header->isChecked();
    return sheetImportText(*sheet, choice);
}

void SheetImportDialog::updateSummary() {
    const Sheet* sheet = currentSheet();
    const int rows = sheet ? static_cast<int>(sheet->rows.size()) - (m_header->isChecked() ? 1 : 0) : 0;
    QString text =
        QStringLiteral("共 %1 行名单，已选 %2 列").arg(std::max(rows, 0)).arg(m_model->keptColumns().size());
    if (sheet && static_cast<int>(sheet->rows.size()) > SheetPreviewModel::kPreviewRows)
        text += QStringLiteral("（只显示前 %1 行）").arg(SheetPreviewModel::kPreviewRows);
    m_summary->setText(text);
}

void SheetImportDialog::confirm() {
    if (m_model->keptColumns().empty()) {
        m_messages.show(this, u"请至少选择一列", MessageIcon::Information);
        return;
    }
    if (chosenText().rows == 0) {
        m_messages.show(this, u"所选的列中没有名单", MessageIcon::Information);
        return;
    }
    accept();
}

std::optional<SheetImportText> SheetImportDialog::ask(QWidget* owner, FilePicker& files,
                                                      MessageBox& messages) {
    const std::optional<std::filesystem::path> file =
        files.openFile(owner, u"选择名单文件", kSheetFileFilter, std::filesystem::path());
    if (!file)
        return std::nullopt;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Workbook book = readSheetFile(*file);
    QApplication::restoreOverrideCursor();
    if (book.failure) {
        messages.show(owner, sheetFailureText(*book.failure, *file), MessageIcon::Error);
        return std::nullopt;
    }
    if (std::none_of(book.sheets.begin(), book.sheets.end(),
                     [](const Sheet& sheet) { return !sheet.rows.empty(); })) {
        messages.show(owner, formatText(u"文件中没有名单:\n%s", {file->u16string()}),
                      MessageIcon::Information);
        return std::nullopt;
    }
    SheetImportDialog dialog(*file, std::move(book), messages, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    SheetImportText text = dialog.chosenText();
    if (text.tooMany)
        messages.show(owner, kTooManyImportLinesText, MessageIcon::Warning);
    return text;
}

} // namespace kelvora
