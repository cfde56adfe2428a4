#pragma once
// The photo import's windows: "导入图片" asks for the folder and the size, "正在导入..." runs the import on a
// worker thread, "已忽略的隐身图片" lists the hidden files it skipped. runPhotoImport strings them together
// for the picture list's editor.

#include <QObject>

#include <atomic>
#include <memory>

#include "image/photo_import.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "settings/ui/duplicates_dialog.h"
#include "ui/centered_dialog.h"

class QLineEdit;
class QProgressBar;
class QThread;

namespace kelvora {

class PhotoImportDialog : public CenteredDialog {
    Q_OBJECT
public:
    PhotoImportDialog(FilePicker& files, MessageBox& messages, QWidget* parent);

    // Valid after the dialog was accepted ("立即导入" with acceptable fields).
    const PhotoImportRequest& request() const { return m_request; }

    // "立即导入": refuses bad fields with a warning, else accepts.
    void confirm();
    // "选...": the folder browser's choice goes into the field.
    void chooseFolder();

private:
    FilePicker& m_files;
    MessageBox& m_messages;
    QLineEdit* m_folder;
    QLineEdit* m_size;
    PhotoImportRequest m_request;
};

class PhotoImportWorker : public QObject {
    Q_OBJECT
public:
    PhotoImportWorker(DataPaths paths, PhotoImportRequest request,
                      std::shared_ptr<const std::atomic<bool>> cancel);
    // Read only after finished() has been delivered.
    PhotoImportResult takeResult() { return std::move(m_result); }

public slots:
    void run();

signals:
    void progress(int done, int total);
    void finished();

private:
    DataPaths m_paths;
    PhotoImportRequest m_request;
    std::shared_ptr<const std::atomic<bool>> m_cancel;
    PhotoImportResult m_result;
};

class PhotoImportProgressDialog : public CenteredDialog {
    Q_OBJECT
public:
    PhotoImportProgressDialog(const DataPaths& paths, const PhotoImportRequest& request, QWidget* parent);
    ~PhotoImportProgressDialog() override;

    void requestCancel();
    // Valid once exec() has returned.
    const PhotoImportResult& result() const { return m_result; }

    // Runs the dialog modally and returns what the import produced (cancelled or not).
    static PhotoImportResult run(const DataPaths& paths, const PhotoImportRequest& request, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    // Escape and the close box cancel like the button; the dialog never closes under a running worker.
    void reject() override;

private:
    void workerFinished();

    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    QThread* m_thread;
    PhotoImportWorker* m_worker;
    QProgressBar* m_bar;
    PhotoImportResult m_result;
    bool m_started = false;
};

class HiddenPicturesDialog : public LinesReportDialog {
    Q_OBJECT
public:
    HiddenPicturesDialog(int count, std::u16string_view names, QWidget* parent);
};

// Replaces the picture folder's content and the list by the pictures of request's folder, with the progress
// dialog over owner, and shows what came of it. The list is empty after a cancelled or failed import.
void runPhotoImport(QWidget* owner, const DataPaths& paths, PictureNameList& list,
                    const PhotoImportRequest& request, MessageBox& messages);

} // namespace kelvora
