#pragma once
// A modal "working..." window for long work that runs off the UI thread: a line of text, a progress bar and
// "取消". The dialog owns the thread and the worker; the work itself is a plain function that reads the
// cancel flag and reports progress, and knows no widget. The window closes itself when the work has ended,
// and never while it runs: cancelling only asks the work to stop at its next step.

#include <QObject>

#include <functional>
#include <memory>

#include "ui/centered_dialog.h"

class QProgressBar;
class QThread;

namespace kelvora {

// done of total steps finished; called on the worker thread.
using WorkProgress = std::function<void(int done, int total)>;
// The work: runs once on the worker thread and keeps its own result (read after the dialog has closed). It
// reads its own cancel flag, which the dialog's cancel callback sets.
using WorkJob = std::function<void(const WorkProgress& progress)>;

class WorkWorker : public QObject {
    Q_OBJECT
public:
    explicit WorkWorker(WorkJob job);

public slots:
    void run();

signals:
    void progress(int done, int total);
    void finished();

private:
    WorkJob m_job;
};

class WorkProgressDialog : public CenteredDialog {
    Q_OBJECT
public:
    // cancel sets the work's flag; it runs on this thread, at "取消", Escape, the close box, and when the
    // dialog is destroyed under a running worker.
    WorkProgressDialog(const QString& title, const QString& text, WorkJob job, std::function<void()> cancel,
                       QWidget* parent);
    ~WorkProgressDialog() override;

    // Asks the work to stop at its next step; the dialog closes when it has.
    void requestCancel();
    bool cancelRequested() const { return m_cancelRequested; }
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

    std::function<void()> m_cancel;
    bool m_cancelRequested = false;
    QThread* m_thread;
    WorkWorker* m_worker;
    QProgressBar* m_bar;
    bool m_started = false;
};

} // namespace kelvora
