#include "ui/work_progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/dialog_parts.h"

namespace kelvora {

WorkWorker::WorkWorker(WorkJob job) : m_job(std::move(job)) {}

void WorkWorker::run() {
    m_job([this](int done, int total) { emit progress(done, total); });
    emit finished();
}

WorkProgressDialog::WorkProgressDialog(const QString& title, const QString& text, WorkJob job,
                                       std::function<void()> cancel, QWidget* parent)
    : CenteredDialog(parent), m_cancel(std::move(cancel)), m_thread(new QThread(this)),
      m_worker(new WorkWorker(std::move(job))) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text, this));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(320);
    layout->addWidget(m_bar);
    QPushButton* cancelButton = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {cancelButton});
    connect(cancelButton, &QPushButton::clicked, this, &WorkProgressDialog::requestCancel);

    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_worker, &WorkWorker::run);
    // Queued: the signals come from the worker thread, the bar lives here.
    connect(m_worker, &WorkWorker::progress, this, [this](int done, int total) {
        m_bar->setRange(0, std::max(total, 1));
        m_bar->setValue(std::clamp(done, 0, std::max(total, 1)));
    });
    connect(m_worker, &WorkWorker::finished, this, &WorkProgressDialog::workerFinished);
}

WorkProgressDialog::~WorkProgressDialog() {
    // A dialog destroyed under a running worker stops it before the thread goes.
    if (m_thread->isRunning())
        requestCancel();
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

void WorkProgressDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_thread->start();
    }
}

void WorkProgressDialog::requestCancel() {
    m_cancelRequested = true;
    if (m_cancel)
        m_cancel();
}

void WorkProgressDialog::reject() {
    requestCancel();
}

void WorkProgressDialog::workerFinished() {
    m_thread->quit();
    m_thread->wait();
    workEnded();
}

void WorkProgressDialog::workEnded() {
    done(m_cancelRequested ? QDialog::Rejected : QDialog::Accepted);
}

} // namespace kelvora
