#pragma once
// "抽奖名单 - 图片/照片模式": the editor of the picture list. It shows the photos' file names with a preview
// of the selected one, reorders the list, and re-imports it from a folder; it saves the list when it closes
// with changes. In selection mode the black and white list editor picks entrants from it.

#include <QWidget>

#include "image/picture_file.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "platform/random.h"
#include "records/data_paths.h"
#include "settings/picture_name_list.h"
#include "settings/text_list_rules.h"
#include "settings/ui/entrant_list_dialog.h"

class QLabel;
class QTableView;

namespace kelvora {

class EntrantListModel;

struct PictureListEnvironment {
    const DataPaths& paths;
    bool drawStarted = false;
    Random15& random;
    MessageBox& messages;
    FilePicker& files;
};

using PictureListMode = EntrantListMode;

// The photo drawn with its shape kept, against the box's right edge and top.
class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent);
    // Loads the photo; false (and an empty box) when it did not load, the reason in picture().errorText().
    bool showPicture(const std::filesystem::path& path);
    void clear();
    const PictureFile& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureFile m_picture;
};

class PictureListDialog : public EntrantListDialog {
    Q_OBJECT
public:
    PictureListDialog(PictureNameList& list, bool& listChanged, const PictureListEnvironment& environment,
                      PictureListMode mode, QWidget* parent);
    ~PictureListDialog() override;

    void reimport();

protected:
    FileResult saveList() override;

private:
    void clearPreview();
    void selectionChanged();

    PictureNameList& m_list;
    PictureListEnvironment m_env;
    PicturePreview* m_preview = nullptr;
    QLabel* m_info = nullptr;
};

void editPictureList(QWidget* owner, PictureNameList& list, bool& listChanged,
                     const PictureListEnvironment& environment);

// Selection mode: copies of the entries selected when the window closed, in ascending row order.
EntrantList pickPictureEntrants(QWidget* owner, PictureNameList& list, bool& listChanged,
                                const PictureListEnvironment& environment);

} // namespace kelvora
