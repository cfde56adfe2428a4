#include "winners/ui/winners_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "draw/draw_run.h"
#include "image/photo_import.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "settings/picture_name_list.h"
#include "settings/ui/picture_list_dialog.h"
#include "sheets/winners_workbook.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"
#include "ui/report_view.h"
#include "winners/forfeit_winner.h"
#include "winners/ui/winners_model.h"

namespace kelvora {

namespace {
// The columns' shares of the view's width; the extension column stays at 0.
constexpr double kRowNumberShare = 0.08;
constexpr double kPrizeShare = 0.26;
constexpr double kNameShare = 0.58;
} // namespace

// ------------------------------------------------------------------------------------------- export

namespace {

ExportJob exportJob(ExportKind kind, const DrawRun& run, const DataPaths& paths,
                    std::filesystem::path folder) {
    const ExportSource source{run.pictureMode(), paths.pictureFolder};
    if (kind == ExportKind::Workbook)
        return [pictureMode = run.pictureMode(), file = std::move(folder), winners = run.progress().winners,
                pool = run.progress().pool](const ExportCancelFlag& cancel, const WorkProgress& progress) {
            const XlsxWriteResult written = writeWinnersWorkbook(
                file, winners, pool, pictureMode, [&cancel] { return cancel.isSet(); }, progress);
            ExportResult result;
            result.failure = written.failure;
            result.cancelled = written.cancelled;
            return result;
        };
    if (kind == ExportKind::Winners)
        return [source, folder = std::move(folder), winners = run.progress().winners](
                   const ExportCancelFlag& cancel, const WorkProgress& progress) {
            return exportWinners(winners, folder, source, cancel, progress);
        };
    return [source, folder = std::move(folder), pool = run.progress().pool](const ExportCancelFlag& cancel,
                                                                            const WorkProgress& progress) {
        return exportNotYetWon(pool, folder, source, cancel, progress);
    };
}

} // namespace

ExportProgressDialog::ExportProgressDialog(ExportKind kind, const DrawRun& run, const DataPaths& paths,
                                           std::filesystem::path folder, MessageBox& messages,
                                           QWidget* parent)
    : ExportProgressDialog(exportJob(kind, run, paths, std::move(folder)), messages, parent) {
    setObjectName(kind == ExportKind::Winners    ? QStringLiteral("exportWinnersProgress")
                  : kind == ExportKind::Workbook ? QStringLiteral("exportWorkbookProgress")
                                                 : QStringLiteral("exportNotYetWonProgress"));
}

ExportProgressDialog::ExportProgressDialog(ExportJob job, MessageBox& messages, QWidget* parent)
    : ExportProgressDialog(std::move(job), messages, std::make_shared<State>(), parent) {}

ExportProgressDialog::ExportProgressDialog(ExportJob job, MessageBox& messages, std::shared_ptr<State> state,
                                           QWidget* parent)
    : WorkProgressDialog(
          toQString(kExportingText), toQString(kExportingText),
          [state, job = std::move(job)](const WorkProgress& progress) {
              state->result = job(state->cancel, progress);
          },
          [state] { state->cancel.set(); }, parent),
      m_messages(messages), m_state(std::move(state)) {}

void ExportProgressDialog::workEnded() {
    // The request decides, not whether the worker still saw it before its last entry.
    if (const std::u16string text = m_state->result.messageText(); !text.empty())
        m_messages.show(static_cast<QWidget*>(this), text, MessageIcon::Error);
    else if (!m_state->result.cancelled && !cancelRequested())
        m_messages.show(static_cast<QWidget*>(this), kExportSucceededText, MessageIcon::Information);
    WorkProgressDialog::workEnded();
}

// ------------------------------------------------------------------------------------------- window

WinnersDialog::WinnersDialog(const WinnersEnvironment& environment, QWidget* parent)
    : CenteredDialog(parent), m_env(environment), m_pictureMode(environment.run.pictureMode()) {
    setWindowTitle(QStringLiteral("中奖名单管理"));
    resize(m_pictureMode ? 860 : 700, 560);
    const WinnerList& winners = m_env.run.progress().winners;

    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* filterLine = new QHBoxLayout;
    filterLine->addWidget(new QLabel(QStringLiteral("切换奖项:"), this));
    m_prizes = new QComboBox(this);
    m_prizes->setObjectName(QStringLiteral("prizes"));
    fillPrizeChoices();
    m_prizes->setCurrentIndex(0);
    filterLine->addWidget(m_prizes, 1);
    left->addLayout(filterLine);

    m_model = new WinnersModel(winners, m_pictureMode, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("winners"));
    m_view->setModel(m_model);
    setUpReportView(*m_view);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->horizontalHeader()->setMinimumSectionSize(0);
    // Tab leaves the list for the buttons: the rows are chosen whole, there are no cells to step through.
    m_view->setTabKeyNavigation(false);
    m_view->viewport()->installEventFilter(this);
    left->addWidget(m_view, 1);
    columns->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    if (m_pictureMode) {
        m_preview = new PicturePreview(this);
        m_preview->setObjectName(QStringLiteral("preview"));
        m_preview->setMinimumSize(220, 220);
        right->addWidget(m_preview, 1);
        right->addSpacing(8);
        m_info = new QLabel(this);
        m_info->setObjectName(QStringLiteral("info"));
        m_info->setAlignment(Qt::AlignCenter);
        m_info->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_info->setMinimumHeight(m_info->fontMetrics().lineSpacing() * 3);
        right->addWidget(m_info);
    } else {
        right->addStretch(1);
    }
    m_backToPool = new QCheckBox(toQString(kBackToPoolText), this);
    m_backToPool->setObjectName(QStringLiteral("backToPool"));
    right->addWidget(m_backToPool);
    QPushButton* forfeit = namedButton(QStringLiteral("弃奖(&D)"), "forfeit", this);
    QPushButton* exportWinners = namedButton(QStringLiteral("导出中奖名单..."), "exportWinners", this);
    QPushButton* exportNotYetWon = namedButton(QStringLiteral("导出未中奖名单..."), "exportNotYetWon", this);
    QPushButton* exportWorkbook = namedButton(QStringLiteral("导出表格..."), "exportWorkbook", this);
    exportWorkbook->setToolTip(QStringLiteral("中奖名单和未中奖名单导出为一个 Excel 表格(.xlsx)"));
    QPushButton* print = namedButton(QStringLiteral("打印..."), "print", this);
    QPushButton* close = namedButton(QStringLiteral("关闭"), "close", this);
    for (QPushButton* button : {forfeit, exportWinners, exportNotYetWon, exportWorkbook, print})
        right->addWidget(button);
    right->addSpacing(12);
    right->addWidget(close);
    columns->addLayout(right, m_pictureMode ? 2 : 1);

    connect(m_prizes, &QComboBox::currentIndexChanged, this, &WinnersDialog::prizeChosen);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &WinnersDialog::selectionChanged);
    connect(forfeit, &QPushButton::clicked, this, &WinnersDialog::forfeitSelected);
    connect(exportWinners, &QPushButton::clicked, this, [this] { exportList(ExportKind::Winners); });
    connect(exportNotYetWon, &QPushButton::clicked, this, [this] { exportList(ExportKind::NotYetWon); });
    connect(exportWorkbook, &QPushButton::clicked, this, [this] { exportList(ExportKind::Workbook); });
    connect(print, &QPushButton::clicked, this, [this] { say(kPrintHintText, MessageIcon::Information); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    m_view->setFocus();
}

WinnersDialog::~WinnersDialog() = default;

void WinnersDialog::say(std::u16string_view text, MessageIcon icon) {
    m_env.messages.show(static_cast<QWidget*>(this), text, icon);
}

bool WinnersDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        layoutColumns();
    return CenteredDialog::eventFilter(watched, event);
}

void WinnersDialog::layoutColumns() {
    // Truncated like every pixel position of the program's layouts.
    const int width = m_view->viewport()->width();
    QHeaderView* header = m_view->horizontalHeader();
    header->resizeSection(WinnersModel::RowNumberColumn, static_cast<int>(width * kRowNumberShare));
    header->resizeSection(WinnersModel::PrizeColumn, static_cast<int>(width * kPrizeShare));
    header->resizeSection(WinnersModel::NameColumn, static_cast<int>(width * kNameShare));
    header->resizeSection(WinnersModel::ExtensionColumn, 0);
}

void WinnersDialog::fillPrizeChoices() {
    m_prizes->clear();
    m_prizes->addItem(toQString(kAllPrizesChoice));
    for (const WinnerGroup& group : m_env.run.progress().winners)
        m_prizes->addItem(toQString(group.name()));
}

void WinnersDialog::refreshPrizeChoices() {
    const QString chosen = m_prizes->currentIndex() > 0 ? m_prizes->currentText() : QString();
    int index = 0;
    {
        const QSignalBlocker quiet(m_prizes);
        fillPrizeChoices();
        if (!chosen.isEmpty())
            index = std::max(m_prizes->findText(chosen), 0);
        m_prizes->setCurrentIndex(index);
    }
    // A prize whose last winner forfeited has left the list: the table shows every prize again.
    if (index == 0 && !chosen.isEmpty())
        m_model->setPrizeFilter({});
}

void WinnersDialog::prizeChosen(int comboIndex) {
    clearPreview();
    m_model->setPrizeFilter(comboIndex <= 0 ? std::u16string() : toU16String(m_prizes->itemText(comboIndex)));
}

void WinnersDialog::clearPreview() {
    if (!m_preview)
        return;
    m_preview->clear();
    m_info->clear();
}

void WinnersDialog::selectionChanged() {
    if (!m_preview)
        return;
    clearPreview();
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const Entrant* winner = m_model->winnerAt(rows.front().row());
    if (!winner)
        return;
    const std::optional<std::filesystem::path> path = picturePath(m_env.paths, *winner);
    if (path && m_preview->showPicture(*path)) {
        const PictureFile& picture = m_preview->picture();
        // The info text keeps CR LF between its lines; the label breaks at the LF alone.
        m_info->setText(toQString(pictureInfoText(winner->text(), picture.width(), picture.height()))
                            .remove(QLatin1Char('\r')));
        return;
    }
    std::u16string text(kPreviewFailedText);
    if (path) {
        text += path->u16string();
        text += u"\n\n";
        text += m_preview->picture().errorText();
    } else {
        text += kPictureMissingText;
    }
    say(text, MessageIcon::Warning);
}

void WinnersDialog::selectRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, WinnersModel::PrizeColumn);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

void WinnersDialog::forfeitSelected() {
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.front().row();
    std::optional<ForfeitRow> forfeiter;
    if (const Entrant* winner = m_model->winnerAt(row))
        forfeiter = ForfeitRow{*m_model->placeAt(row), std::u16string(m_model->prizeAt(row)), *winner};
    if (!forfeitWinner(m_env.run, m_env.messages, static_cast<QWidget*>(this), forfeiter,
                       m_backToPool->isChecked()))
        return;
    // The run has saved the change and repainted the screen; the choices and the table follow.
    refreshPrizeChoices();
    m_model->listReset();
    clearPreview();
    selectRow(std::min(row, m_model->rowCount() - 1));
    m_view->setFocus();
}

void WinnersDialog::exportList(ExportKind kind) {
    if (!m_env.run.drawStarted()) {
        say(kDrawNotStartedText, MessageIcon::Warning);
        return;
    }
    if (kind == ExportKind::Workbook) {
        const std::optional<std::filesystem::path> file = m_env.files.saveFile(
            static_cast<QWidget*>(this), u"导出表格", u"中奖名单.xlsx", u"Excel 工作簿 (*.xlsx)");
        if (file)
            ExportProgressDialog(kind, m_env.run, m_env.paths, *file, m_env.messages, this).exec();
        return;
    }
    const std::u16string_view title = kind == ExportKind::Winners ? u"导出中奖名单" : u"导出未中奖名单";
    const std::optional<std::filesystem::path> folder =
        m_env.files.saveFile(static_cast<QWidget*>(this), title, u"", u"");
    if (!folder)
        return;
    if (const FileResult made = createExportFolder(*folder); !made) {
        say(messageText(made), MessageIcon::Error);
        return;
    }
    ExportProgressDialog progress(kind, m_env.run, m_env.paths, *folder, m_env.messages, this);
    progress.exec();
}

void showWinners(const WinnersEnvironment& environment, QWidget* parent) {
    if (!environment.run.drawStarted())
        return;
    WinnersDialog dialog(environment, parent);
    dialog.exec();
}

} // namespace kelvora
