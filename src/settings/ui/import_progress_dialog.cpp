#include "settings/ui/import_progress_dialog.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

#include "ui/qt_text.h"

namespace kelvora {

QFont importMeasureFont(const QWidget* measureWindow) {
    QFont font = measureWindow ? measureWindow->font() : QFont();
    font.setFamilies({QStringLiteral("新宋体")});
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

int textWidth(const QFontMetrics& metrics, std::u16string_view text) {
    const int space = metrics.horizontalAdvance(QLatin1Char(' '));
    if (text.empty() || space <= 0)
        return 0;
    const int pixels = metrics.horizontalAdvance(toQString(text));
    return static_cast<int>(std::floor(static_cast<double>(pixels) / space + 0.5));
}

int textWidth(const QWidget* measureWindow, std::u16string_view text) {
    return textWidth(QFontMetrics(importMeasureFont(measureWindow)), text);
}

ImportWorker::ImportWorker(std::vector<ImportLine> lines, ImportSettings settings, QFont font,
                           std::shared_ptr<const std::atomic<bool>> cancel)
    : m_lines(std::move(lines)), m_settings(std::move(settings)), m_font(std::move(font)),
      m_cancel(std::move(cancel)) {}

void ImportWorker::run() {
    // Built on this thread: font metrics belong to the thread that made them.
    const QFontMetrics metrics(m_font);
    m_result = runImport(
        std::move(m_lines), m_settings,
        [&metrics](std::u16string_view text) { return textWidth(metrics, text); }, *m_cancel,
        [this](int done, int total) { emit progress(done, total); });
    emit finished();
}

ImportProgressDialog::ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                                           const QFont& measureFont, QWidget* parent)
    : CenteredDialog(parent), m_thread(new QThread(this)),
      m_worker(new ImportWorker(std::move(lines), settings, measureFont, m_cancel)) {
    setWindowTitle(QStringLiteral("正在导入..."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("正在导入..."), this));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(320);
    layout->addWidget(m_bar);
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(cancel, &QPushButton::clicked, this, &ImportProgressDialog::requestCancel);

    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_worker, &ImportWorker::run);
    connect(m_worker, &ImportWorker::progress, this, [this](int done, int total) {
        m_bar->setRange(0, std::max(total, 1));
        m_bar->setValue(done);
    });
    connect(m_worker, &ImportWorker::finished, this, &ImportProgressDialog::workerFinished);
}

ImportProgressDialog::~ImportProgressDialog() {
    // A dialog destroyed under a running worker (never shown to the end) stops it before the thread goes.
    m_cancel->store(true);
    m_thread->quit();
    m_thread->wait();
    // The thread has ended, so nothing of the worker runs any more and it can go from here.
    delete m_worker;
}

void ImportProgressDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_thread->start();
    }
}

void ImportProgressDialog::requestCancel() {
    m_cancel->store(true);
}

void ImportProgressDialog::reject() {
    requestCancel();
}

void ImportProgressDialog::workerFinished() {
    m_thread->quit();
    m_thread->wait();
    m_result = m_worker->takeResult();
    done(m_result.cancelled ? QDialog::Rejected : QDialog::Accepted);
}

ImportResult ImportProgressDialog::run(std::vector<ImportLine> lines, const ImportSettings& settings,
                                       const QFont& measureFont, QWidget* parent) {
    ImportProgressDialog dialog(std::move(lines), settings, measureFont, parent);
    dialog.exec();
    return dialog.result();
}

} // namespace kelvora
