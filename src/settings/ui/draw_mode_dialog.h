#pragma once
// "参数设置 - 模式 & 名单": choose whether the draw takes its entrants from the text list or from the photos,
// then go on to that list's editor. The only way out is "下一步", so the mode file is written every time the
// dialog is passed.

#include <functional>

#include "platform/message_box.h"
#include "records/data_paths.h"
#include "records/draw_mode.h"
#include "ui/centered_dialog.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace kelvora {

inline constexpr std::u16string_view kModeLockedNote = u"抽奖结束后才可修改";

class DrawModeDialog : public CenteredDialog {
    Q_OBJECT
public:
    // "下一步" stores the chosen mode into drawMode and saves it (a failure is shown over this dialog).
    DrawModeDialog(DrawMode& drawMode, const DataPaths& paths, bool drawStarted, MessageBox& messages,
                   QWidget* parent);

    // Escape and the window system's close do nothing: the operator leaves through "下一步".
    void reject() override {}

    // 0 for text mode, 1 for picture mode, as the radio buttons stand.
    std::int32_t chosenMode() const;

private:
    void next();

    DrawMode& m_drawMode;
    const DataPaths& m_paths;
    MessageBox& m_messages;
    QRadioButton* m_textMode = nullptr;
    QRadioButton* m_pictureMode = nullptr;
};

// The editors that follow the dialog, by mode. Either may be empty (then the dialog is all there is).
struct ListEditorOpeners {
    std::function<void(QWidget* owner)> openTextList;
    std::function<void(QWidget* owner)> openPictureList;
};

// Runs the dialog, then opens the editor of the chosen mode over owner.
void chooseDrawMode(QWidget* owner, DrawMode& drawMode, const DataPaths& paths, bool drawStarted,
                    MessageBox& messages, const ListEditorOpeners& editors);

} // namespace kelvora
