#pragma once
// "正在导入...": runs the import on a worker thread and closes itself when the worker ends. The dialog owns
// the thread and the worker; the worker only calls runImport and reports progress. Its result is read after
// the thread has ended.

#include <QFont>
#include <QObject>

#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

#include "settings/list_import.h"
#include "ui/centered_dialog.h"

class QFontMetrics;
class QProgressBar;
class QThread;

namespace kelvora {

// The font in which the import measures columns: the editor's dialog font, "新宋体" at 10 points (through the
// font aliases, a face in which a Chinese character is exactly two spaces wide).
QFont importMeasureFont(const QWidget* measureWindow);

// Width of text in half-width cells: its pixel width over that of one space, rounded half up.
int textWidth(const QFontMetrics& metrics, std::u16string_view text);
int textWidth(const QWidget* measureWindow, std::u16string_view text);

class ImportWorker : public QObject {
    Q_OBJECT
public:
    ImportWorker(std::vector<ImportLine> lines, ImportSettings settings, QFont font,
                 std::shared_ptr<const std::atomic<bool>> cancel);
    // Read only after finished() has been delivered.
    ImportResult takeResult() { return std::move(m_result); }

public slots:
    void run();

signals:
    void progress(int done, int total);
    void finished();

private:
    std::vector<ImportLine> m_lines;
    ImportSettings m_settings;
    QFont m_font;
    std::shared_ptr<const std::atomic<bool>> m_cancel;
    ImportResult m_result;
};

class ImportProgressDialog : public CenteredDialog {
    Q_OBJECT
public:
    ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                         const QFont& measureFont, QWidget* parent);
    ~ImportProgressDialog() override;

    // Asks the worker to stop at its next line; the dialog closes when it has.
    void requestCancel();
    // Valid once exec() has returned: Accepted after a finished import, Rejected after a cancelled one.
    const ImportResult& result() const { return m_result; }

    // Runs the dialog modally and returns what the import produced (cancelled or not).
    static ImportResult run(std::vector<ImportLine> lines, const ImportSettings& settings,
                            const QFont& measureFont, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    // Escape and the close box cancel like the button; the dialog never closes under a running worker.
    void reject() override;

private:
    void workerFinished();

    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    QThread* m_thread;
    ImportWorker* m_worker;
    QProgressBar* m_bar;
    ImportResult m_result;
    bool m_started = false;
};

} // namespace kelvora
