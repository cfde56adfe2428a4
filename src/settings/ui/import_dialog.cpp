#include "settings/ui/import_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "settings/ui/align_import_dialog.h"
#include "settings/ui/duplicates_dialog.h"
#include "settings/ui/import_progress_dialog.h"
#include "settings/ui/number_generator_dialog.h"
#include "sheets/ui/sheet_import_dialog.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

void minimizeProgramWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
}

ImportDialogSteps realImportSteps(MessageBox& messages, FilePicker& files, const QFont& measureFont) {
    ImportDialogSteps steps;
    steps.askAlignment = [&messages](QWidget* owner) { return AlignImportDialog::ask(messages, owner); };
    steps.runImport = [measureFont](QWidget* owner, std::vector<ImportLine> lines,
                                    const ImportSettings& settings) {
        return ImportProgressDialog::run(std::move(lines), settings, measureFont, owner);
    };
    steps.showDuplicates = [](QWidget* owner, const ImportResult& result) {
        DuplicatesDialog(result.duplicateCount, result.duplicateText, owner).exec();
    };
    steps.generateNumbers = [&messages](QWidget* owner) {
        return NumberGeneratorDialog::ask(messages, owner);
    };
    steps.minimizeProgram = minimizeProgramWindows;
    steps.importFile = [&messages, &files](QWidget* owner) -> std::optional<std::u16string> {
        std::optional<SheetImportText> read = SheetImportDialog::ask(owner, files, messages);
        if (!read)
            return std::nullopt;
        return std::move(read->text);
    };
    return steps;
}

ImportDialog::ImportDialog(QWidget* measureWindow, TextNameList& list, MessageBox& messages,
                           ImportDialogSteps steps)
    : CenteredDialog(measureWindow), m_list(list), m_messages(messages), m_steps(std::move(steps)) {
    setWindowTitle(QStringLiteral("抽奖名单 - 导入"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("复制名单到此，一行为一条：\n//一行如有多列，用Tab字符分割。"), this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tabs separate columns: typed ones go into the text rather than moving the focus.
    m_text->setTabChangesFocus(false);
    m_text->installEventFilter(this);
    m_text->setMinimumSize(480, 320);
    layout->addWidget(m_text, 1);

    auto* tools = new QHBoxLayout;
    auto* minimize = namedButton(QStringLiteral("软件最小化"), "minimize", this);
    tools->addWidget(minimize);
    tools->addWidget(new QLabel(QStringLiteral("以便复制名单"), this));
    tools->addStretch();
    auto* fromFile = namedButton(QStringLiteral("从文件导入..."), "fromFile", this);
    fromFile->setToolTip(QStringLiteral("从 Excel(.xlsx)、.ods、.csv 或 .txt 文件读取名单"));
    tools->addWidget(fromFile);
    auto* generate = namedButton(QStringLiteral("批量生成号码..."), "generate", this);
    tools->addWidget(generate);
    layout->addLayout(tools);

    auto* importButton = namedButton(QStringLiteral("对齐后导入..."), "import", this);
    auto* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {importButton, cancel});

    connect(minimize, &QPushButton::clicked, this, [this] { m_steps.minimizeProgram(); });
    connect(generate, &QPushButton::clicked, this, &ImportDialog::appendGenerated);
    connect(fromFile, &QPushButton::clicked, this, &ImportDialog::fillFromFile);
    connect(importButton, &QPushButton::clicked, this, &ImportDialog::importLines);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_text->setFocus();
}

bool ImportDialog::eventFilter(QObject* watched, QEvent* event) {
    // Tab belongs to the text; without Ctrl+Tab and Ctrl+Shift+Tab the keyboard could never reach the
    // buttons.
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier) {
            if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier))
                return focusNextPrevChild(true);
            if (key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Tab)
                return focusNextPrevChild(false);
        }
    }
    return CenteredDialog::eventFilter(watched, event);
}

void ImportDialog::appendGenerated() {
    const std::optional<std::vector<std::u16string>> lines = m_steps.generateNumbers(this);
    if (!lines || lines->empty())
        return;
    QString added;
    // Text that does not end with a line break would otherwise run into the first number.
    const QString current = m_text->toPlainText();
    if (!current.isEmpty() && !current.endsWith(QLatin1Char('\n')))
        added += QLatin1Char('\n');
    for (const std::u16string& line : *lines) {
        added += toQString(line);
        added += QLatin1Char('\n');
    }
    // Hidden while the text goes in, so that up to 30000 lines do not lay out one by one.
    m_text->setUpdatesEnabled(false);
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
    m_text->setUpdatesEnabled(true);
}

void ImportDialog::fillFromFile() {
    if (!m_steps.importFile)
        return;
    const std::optional<std::u16string> text = m_steps.importFile(this);
    if (!text)
        return;
    // The file's names take the place of whatever was pasted: the operator chose them to be the list.
    m_text->setUpdatesEnabled(false);
    m_text->setPlainText(toQString(*text));
    m_text->setUpdatesEnabled(true);
    m_text->setFocus();
}

void ImportDialog::importLines() {
    const std::optional<ImportSettings> settings = m_steps.askAlignment(this);
    if (!settings)
        return;
    const QString text = m_text->toPlainText();
    ImportLines read = readImportLines(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                           static_cast<std::size_t>(text.size())));
    if (read.tooMany)
        m_messages.show(this, kTooManyImportLinesText, MessageIcon::Warning);
    if (read.lines.empty()) {
        m_messages.show(this, kNothingToImportText, MessageIcon::Information);
        return;
    }
    const ImportResult result = m_steps.runImport(this, std::move(read.lines), *settings);
    applyImport(m_list, result);
    if (result.cancelled)
        return; // the text stays for another try
    if (result.duplicateCount > 0)
        m_steps.showDuplicates(this, result);
    accept();
}

bool runImportDialog(QWidget* measureWindow, TextNameList& list, MessageBox& messages, FilePicker& files) {
    ImportDialog dialog(measureWindow, list, messages,
                        realImportSteps(messages, files, importMeasureFont(measureWindow)));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kelvora
