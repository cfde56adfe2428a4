#pragma once
// "添加奖项" and "修改奖项": one prize's fields, its picture (copied into the prize folder) and a preview of
// the picture and of a winner's name in the prize's font size. On "添加" or "修改" the fields go through
// readPrizeFields; when they pass, the dialog closes accepted and the prize window puts editedPrize() into
// the list (appended, or in place of the modified prize's fields), so that its model sees the change as it
// happens.

#include <QWidget>

#include "image/picture_file.h"
#include "platform/file_picker.h"
#include "platform/message_box.h"
#include "records/data_paths.h"
#include "records/prizes.h"
#include "settings/interface_settings.h"
#include "settings/prize_rules.h"
#include "ui/centered_dialog.h"

class QLineEdit;

namespace kelvora {

// The picture in the top-right corner and the sample character "字" under it, in the scroll area's font at
// the prize's size.
class PrizePreview : public QWidget {
    Q_OBJECT
public:
    PrizePreview(const InterfaceSettings& look, QWidget* parent);

    // The picture shown (empty: none); shrunk to the picture box's height here.
    void setPicture(const PictureFile& picture);
    void clearPicture();
    // 0: no sample character.
    void setFontSize(int sizePt);
    int fontSize() const { return m_fontSize; }
    bool hasPicture() const { return m_picture.isValid(); }

    static constexpr int kBoxHeight = 150;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const InterfaceSettings& m_look;
    PictureFile m_picture;
    int m_fontSize = 0;
};

class PrizeEditDialog : public CenteredDialog {
    Q_OBJECT
public:
    // index: the prize to modify, or -1 to add one at the end.
    PrizeEditDialog(const PrizeList& prizes, int index, const PrizeDrawState& draw, const DataPaths& paths,
                    const InterfaceSettings& look, MessageBox& messages, FilePicker& files, QWidget* parent);

    PrizeFields fields() const;
    // The prize read from the fields when the dialog was accepted (without lists).
    const PrizeItem& editedPrize() const { return m_edited; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void confirm();
    void choosePicture();
    void clearPicture();
    void fontSizeEdited(const QString& text);

    const PrizeList& m_prizes;
    PrizeItem m_edited;
    int m_index;
    bool m_locked;
    const DataPaths& m_paths;
    MessageBox& m_messages;
    FilePicker& m_files;
    bool m_lockNoticeShown = false;

    QLineEdit* m_name;
    QLineEdit* m_quota;
    QLineEdit* m_perDraw;
    QLineEdit* m_perLine;
    QLineEdit* m_fontSize;
    QLineEdit* m_prizeText;
    QLineEdit* m_imageFile;
    PrizePreview* m_preview;
};

} // namespace kelvora
