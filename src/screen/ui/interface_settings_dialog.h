#pragma once
// "界面设置": the one dialog that restyles the draw screen. It edits a draft of the look; "应用/生效" and
// "确定" correct the typed values, warn about regions too small to read and hand the draft over to be shown
// and saved at once, so the operator sees each change on the screen behind the dialog. "取消" only closes:
// what was applied stays. The chosen background picture is copied into the interface folder straight away;
// the draft keeps its bare name.

#include <functional>
#include <string>

#include "records/data_paths.h"
#include "screen/ui/font_dialog.h"
#include "settings/interface_settings.h"
#include "ui/centered_dialog.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvora {

class FilePicker;
class MessageBox;

// Shows the look and saves it; the show does this, tests record it.
using ApplyLook = std::function<void(const InterfaceSettings&)>;

inline constexpr std::u16string_view kBackgroundFilter =
    u"所有图片文件 (*.jpg *.jpeg *.jpe *.jfif *.png *.gif *.bmp *.dib *.tif *.tiff *.ico)";

class InterfaceSettingsDialog : public CenteredDialog {
    Q_OBJECT
public:
    // spaceAlignedFonts: the scroll font is limited to the faces a space-aligned text list keeps its columns
    // in (text mode, list imported with space padding).
    InterfaceSettingsDialog(const InterfaceSettings& live, const DataPaths& paths, bool spaceAlignedFonts,
                            MessageBox& messages, FilePicker& files, ApplyLook apply, QWidget* parent);

    void fromRecord(const InterfaceSettings& settings);
    // The controls over the draft's fonts and margins, corrected; warning receives the "很小哦~~" text, or
    // nothing when every region is large enough.
    InterfaceSettings toRecord(std::u16string* warning = nullptr) const;

    void setColorChooser(ColorChooser chooser) { m_colors = std::move(chooser); }

private:
    void applyDraft();
    void confirm();
    void restoreDefaults();
    void chooseBackground(bool builtIn);
    void editMargins(Margins InterfaceSettings::*field);
    void editFont(FontStyle InterfaceSettings::*field);
    void editScrollFont();
    void editInfoBarContent();
    void editPhotoEffect();

    InterfaceSettings m_draft;
    const DataPaths& m_paths;
    bool m_spaceAlignedFonts;
    MessageBox& m_messages;
    FilePicker& m_files;
    ApplyLook m_apply;
    ColorChooser m_colors;

    QLineEdit* m_background = nullptr;
    QLineEdit* m_mainTitle = nullptr;
    QLineEdit* m_mainHeight = nullptr;
    QLineEdit* m_subtitle = nullptr;
    QLineEdit* m_subHeight = nullptr;
    QLineEdit* m_infoHeight = nullptr;
    QLineEdit* m_scrollSpeed = nullptr;
    QCheckBox* m_winnerNumbers = nullptr;
    QCheckBox* m_hideDigits = nullptr;
    QLineEdit* m_hideFrom = nullptr;
    QLineEdit* m_hideTo = nullptr;
    QRadioButton* m_prizeLeft = nullptr;
    QRadioButton* m_prizeRight = nullptr;
    QLineEdit* m_prizeWidth = nullptr;
};

} // namespace kelvora
