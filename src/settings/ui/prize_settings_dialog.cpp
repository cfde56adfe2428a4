#include "settings/ui/prize_settings_dialog.h"

#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "draw/draw_run.h"
#include "platform/text.h"
#include "settings/text_name_list.h"
#include "settings/ui/prize_edit_dialog.h"
#include "settings/ui/prize_import_dialog.h"
#include "sheets/prize_sheet.h"
#include "ui/qt_text.h"
#include "ui/report_view.h"

namespace kelvora {

namespace {

enum Column { RowNumber, Name, Quota, PerDraw, PerLine, FontSize, PrizeText, ImageFile, ColumnCount };

constexpr double kColumnWidths[ColumnCount] = {0.05, 0.21, 0.07, 0.085, 0.105, 0.105, 0.22, 0.13};

QString units(std::int32_t value) {
    return QString::number(value) + QStringLiteral("个");
}

} // namespace

// ------------------------------------------------------------------------------------------- PrizeTableModel

PrizeTableModel::PrizeTableModel(const PrizeList& prizes, QObject* parent)
    : QAbstractTableModel(parent), m_prizes(prizes) {}

int PrizeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_prizes.size());
}

int PrizeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PrizeTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= ColumnCount)
        return {};
    const PrizeItem& prize = m_prizes[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case RowNumber:
            return index.row() + 1;
        case Name:
            return toQString(prize.nameText());
        case Quota:
            return QString::number(prize.quota);
        case PerDraw:
            return units(prize.perDraw);
        case PerLine:
            return units(prize.perLine);
        case FontSize:
            return QString::number(prize.fontSize);
        case PrizeText:
            return toQString(fieldText(prize.prizeText));
        case ImageFile:
            return toQString(fieldText(prize.imageFile));
        default:
            return {};
        }
    case Qt::BackgroundRole:
        return index.column() == RowNumber ? QColor(245, 245, 245) : QColor(Qt::white);
    case Qt::TextAlignmentRole:
        if (index.column() == RowNumber)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant PrizeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    static const char16_t* const headers[ColumnCount] = {u"",         u"奖项",     u"名额", u"每次抽",
                                                         u"一行显示", u"字体大小", u"奖品", u"奖品图"};
    return QString::fromUtf16(headers[section]);
}

void PrizeTableModel::beginAppend() {
    const int row = rowCount();
    beginInsertRows({}, row, row);
}

void PrizeTableModel::rowsRewritten(int first, int last) {
    if (first > last || first < 0 || last >= rowCount())
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

double PrizeTableModel::columnWidthFraction(int column) {
    return column >= 0 && column < ColumnCount ? kColumnWidths[column] : 0.0;
}

// --------------------------------------------------------------------------------------- PrizeSettingsDialog

PrizeSettingsDialog::PrizeSettingsDialog(PrizeList& prizes, const DataPaths& paths, const DrawRun& run,
                                         const InterfaceSettings& look, MessageBox& messages,
                                         FilePicker& files, EditPrizeListsHook editLists, QWidget* parent)
    : CenteredDialog(parent), m_prizes(prizes), m_paths(paths), m_run(run), m_look(look),
      m_messages(messages), m_files(files), m_editLists(std::move(editLists)),
      m_model(new PrizeTableModel(prizes, this)), m_view(new QTableView(this)) {
    setWindowTitle(QStringLiteral("参数设置 - 奖项"));
    resize(900, 480);

    m_view->setObjectName(QStringLiteral("prizes"));
    m_view->setModel(m_model);
    setUpReportView(*m_view);
    m_view->horizontalHeader()->setStretchLastSection(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const QString& text, void (PrizeSettingsDialog::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    button("add", QStringLiteral("添加(&A)..."), &PrizeSettingsDialog::addPrize);
    button("modify", QStringLiteral("修改(&E)..."), &PrizeSettingsDialog::modifyPrize);
    button("remove", QStringLiteral("删除"), &PrizeSettingsDialog::deletePrizes);
    auto* up = new QPushButton(QStringLiteral("上移"), this);
    up->setObjectName(QStringLiteral("moveUp"));
    up->setAutoDefault(false);
    connect(up, &QPushButton::clicked, this, [this] { movePrizes(true); });
    buttons->addWidget(up);
    auto* down = new QPushButton(QStringLiteral("下移"), this);
    down->setObjectName(QStringLiteral("moveDown"));
    down->setAutoDefault(false);
    connect(down, &QPushButton::clicked, this, [this] { movePrizes(false); });
    buttons->addWidget(down);
    button("reverse", QStringLiteral("反序"), &PrizeSettingsDialog::reversePrizes);
    button("clear", QStringLiteral("清空"), &PrizeSettingsDialog::clearPrizes);
    buttons->addSpacing(12);
    button("exportSheet", QStringLiteral("导出表格..."), &PrizeSettingsDialog::exportSheet)
        ->setToolTip(QStringLiteral("奖项表导出为 Excel 表格(.xlsx)，也可作为导入的模板"));
    button("importSheet", QStringLiteral("从表格导入..."), &PrizeSettingsDialog::importSheet)
        ->setToolTip(QStringLiteral("从 .xlsx、.ods 或 .csv 表格读取奖项表，替换现有奖项"));
    buttons->addStretch();
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &PrizeSettingsDialog::reject);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
}

PrizeDrawState PrizeSettingsDialog::drawState() const {
    return PrizeDrawState{m_run.drawStarted(), m_run.progress().prizeIndex};
}

std::vector<int> PrizeSettingsDialog::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PrizeSettingsDialog::selectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows)
        selection.select(m_model->index(row, 0), m_model->index(row, ColumnCount - 1));
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty()) {
        m_view->selectionModel()->setCurrentIndex(m_model->index(rows.front(), 0),
                                                  QItemSelectionModel::NoUpdate);
        m_view->scrollTo(m_model->index(rows.front(), 0));
    }
}

void PrizeSettingsDialog::markChanged() {
    m_prizesChanged = true;
    m_listEdited = true;
}

bool PrizeSettingsDialog::allowed(PrizeAction action, const std::vector<int>& rows) {
    const PrizeActionCheck check =
        checkPrizeAction(action, rows, static_cast<int>(m_prizes.size()), drawState());
    if (check.outcome == PrizeActionCheck::Outcome::Refused)
        m_messages.show(this, check.message, check.icon);
    return check.allowed();
}

void PrizeSettingsDialog::addPrize() {
    PrizeEditDialog dialog(m_prizes, -1, drawState(), m_paths, m_look, m_messages, m_files, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_model->beginAppend();
    m_prizes.push_back(dialog.editedPrize());
    m_model->endAppend();
    markChanged();
    selectRows({static_cast<int>(m_prizes.size()) - 1});
}

void PrizeSettingsDialog::modifyPrize() {
    const std::vector<int> rows = selectedRows();
    if (!allowed(PrizeAction::Modify, rows))
        return;
    const int row = rows.front();
    PrizeEditDialog dialog(m_prizes, row, drawState(), m_paths, m_look, m_messages, m_files, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    replacePrizeFields(m_prizes, row, dialog.editedPrize());
    m_model->rowsRewritten(row, row);
    markChanged();
}

void PrizeSettingsDialog::deletePrizes() {
    const std::vector<int> rows = selectedRows();
    if (!allowed(PrizeAction::Delete, rows))
        return;
    if (m_messages.show(this, kConfirmDeleteText, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    m_model->beginListChange();
    removePrizes(m_prizes, rows);
    m_model->endListChange();
    markChanged();
}

void PrizeSettingsDialog::movePrizes(bool up) {
    const std::vector<int> rows = selectedRows();
    if (!allowed(up ? PrizeAction::MoveUp : PrizeAction::MoveDown, rows))
        return;
    const std::vector<int> moved = up ? movePrizesUp(m_prizes, rows) : movePrizesDown(m_prizes, rows);
    const auto [low, high] = std::minmax_element(moved.begin(), moved.end());
    m_model->rowsRewritten(std::min(*low, rows.front()), std::max(*high, rows.back()));
    selectRows(moved);
    m_view->scrollTo(m_model->index(up ? moved.front() : moved.back(), 0));
    markChanged();
}

void PrizeSettingsDialog::reversePrizes() {
    if (!allowed(PrizeAction::Reverse, selectedRows()))
        return;
    if (m_messages.show(this, kConfirmReverseText, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    m_model->beginListChange();
    std::reverse(m_prizes.begin(), m_prizes.end());
    m_model->endListChange();
    markChanged();
}

void PrizeSettingsDialog::clearPrizes() {
    if (!allowed(PrizeAction::Clear, selectedRows()))
        return;
    if (m_messages.show(this, kConfirmClearText, MessageIcon::Question, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    m_model->beginListChange();
    m_prizes.clear();
    m_model->endListChange();
    markChanged();
}

void PrizeSettingsDialog::exportSheet() {
    const std::optional<std::filesystem::path> file =
        m_files.saveFile(this, u"导出表格", u"奖项.xlsx", u"Excel 工作簿 (*.xlsx)");
    if (!file)
        return;
    const XlsxWriteResult written = writePrizeWorkbook(*file, m_prizes);
    if (!written.failure)
        m_messages.show(this, messageText(written.failure), MessageIcon::Error);
    else
        m_messages.show(this, kExportDoneText, MessageIcon::Information);
}

void PrizeSettingsDialog::importSheet() {
    if (!allowed(PrizeAction::Import, selectedRows()))
        return;
    std::optional<PrizeList> imported =
        askPrizeSheet(this, m_prizes, m_paths.prizeFolder, m_messages, m_files);
    if (!imported)
        return;
    m_model->beginListChange();
    m_prizes = std::move(*imported);
    m_model->endListChange();
    markChanged();
}

void PrizeSettingsDialog::editPrizeLists(int row) {
    if (!m_editLists || row < 0 || static_cast<std::size_t>(row) >= m_prizes.size())
        return;
    if (!m_editLists(this, m_prizes[static_cast<std::size_t>(row)]))
        return;
    m_model->rowsRewritten(row, row);
    markChanged();
}

bool PrizeSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->modifiers() & Qt::ShiftModifier) {
            const int row = m_view->indexAt(mouse->position().toPoint()).row();
            if (row >= 0) {
                selectRows({row});
                editPrizeLists(row);
            }
            return true;
        }
    }
    return CenteredDialog::eventFilter(watched, event);
}

void PrizeSettingsDialog::reject() {
    if (m_prizesChanged) {
        const FileResult saved = savePrizes(m_paths, m_prizes);
        if (saved)
            m_prizesChanged = false;
        else
            m_messages.show(this, messageText(saved), MessageIcon::Error);
    }
    CenteredDialog::reject();
}

void PrizeSettingsDialog::fitColumns() {
    const int width = m_view->viewport()->width();
    for (int c = 0; c < ColumnCount; ++c)
        m_view->setColumnWidth(c, static_cast<int>(width * kColumnWidths[c]));
}

void PrizeSettingsDialog::resizeEvent(QResizeEvent* event) {
    CenteredDialog::resizeEvent(event);
    fitColumns();
}

void PrizeSettingsDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    fitColumns();
}

} // namespace kelvora
