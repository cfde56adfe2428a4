#pragma once
// A modal "working..." window for long work that runs off the UI thread: a line of text, a progress bar and
// "取消". The dialog owns the thread and the worker; the work itself is a plain function that reads the cancel
// flag and reports progress, and knows no widget. The window closes itself when the work has ended, and never
// while it runs: cancelling only asks the work to stop at its next step.

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

#include "ui/centered_dialog.h"

class QProgressBar;
class QThread;

namespace kelvora {

// done of total steps finished; called on the worker thread.
using WorkProgress = std::function<void(int done, int total)>;
// The work: runs once on the worker thread; keeps its own result (read after the dialog has closed).
using WorkJob = std::function<void(const std::atomic<bool>& cancel, const WorkProgress& progress)>;

class WorkWorker : public QObject {
    Q_OBJECT
public:
    WorkWorker(WorkJob job, std::shared_ptr<const std::atomic<bool>> cancel);

public slots:
    void run();

signals:
    void progress(int done, int total);
    void finished();

private:
    WorkJob m_job;
    std::shared_ptr<const std::atomic<bool>> m_cancel;
};

class WorkProgressDialog : public CenteredDialog {
    Q_OBJECT
public:
    WorkProgressDialog(const QString& title, const QString& text, WorkJob job, QWidget* parent);
    ~WorkProgressDialog() override;

    // Asks the work to stop at its next step; the dialog closes when it has.
    void requestCancel();
    bool cancelRequested() const { return m_cancel->load(); }
    QProgressBar& progressBar() { return *m_bar; }

protected:
    void showEvent(QShowEvent* event) override;
    // Called once on the UI thread after the work has ended and its thread has stopped; closes the dialog.
    // A subclass reports the outcome here before calling the base.
    virtual void workEnded();

public slots:
    // Escape and the close box cancel like the button.
    void reject() override;

private:
    void workerFinished();

    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    QThread* m_thread;
    WorkWorker* m_worker;
    QProgressBar* m_bar;
    bool m_started = false;
};

} // namespace kelvora
