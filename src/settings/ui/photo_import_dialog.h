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
#include "ui/work_progress_dialog.h"

class QLineEdit;

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

// "正在导入...": the photo import on the shared progress window's worker thread.
class PhotoImportProgressDialog : public WorkProgressDialog {
    Q_OBJECT
public:
    PhotoImportProgressDialog(const DataPaths& paths, const PhotoImportRequest& request, QWidget* parent);

    // Valid once exec() has returned.
    const PhotoImportResult& result() const { return m_state->result; }

    // Runs the dialog modally and returns what the import produced (cancelled or not).
    static PhotoImportResult run(const DataPaths& paths, const PhotoImportRequest& request, QWidget* parent);

protected:
    void workEnded() override;

private:
    // Shared with the job and the cancel callback, which may outlive this class's members (see the base).
    struct State {
        std::atomic<bool> cancel{false};
        PhotoImportResult result;
    };
    PhotoImportProgressDialog(const DataPaths& paths, const PhotoImportRequest& request,
                              std::shared_ptr<State> state, QWidget* parent);

    std::shared_ptr<State> m_state;
};

class HiddenPicturesDialog : public LinesReportDialog {
    Q_OBJECT
public:
    HiddenPicturesDialog(int count, std::u16string_view names, QWidget* parent);
};

// Replaces the picture folder's content and the list by the pictures of request's folder, with the progress
// dialog over owner, and shows what came of it. True when the import took effect; after a cancelled or
// failed one the picture folder and the list are as they were.
bool runPhotoImport(QWidget* owner, const DataPaths& paths, PictureNameList& list,
                    const PhotoImportRequest& request, MessageBox& messages);

} // namespace kelvora
