#pragma once
// "回放设置" and "展示总名单设置": how the replay of the results and the show of the whole name list roll.
// Each edits a draft of its record: the small editors ("内边距", "字体", "表头字体") change the draft only,
// "恢复默认值" puts the defaults into it, and "确定/生效" accepts; the command then hands toRecord(),
// corrected, to the show. "取消" leaves the live record as it was.

#include <functional>

#include "screen/ui/font_dialog.h"
#include "settings/playback_settings.h"

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace kelvora {

// What both dialogs share: the area line, "一行显示", the speed slider with its number, the row of editor
// buttons, the picture check box, the note and the closing row. Each dialog adds its own lines and buttons
// and keeps its draft.
class RollSettingsDialog : public CenteredDialog {
    Q_OBJECT
public:
    void setColorChooser(ColorChooser chooser) { m_colors = std::move(chooser); }

protected:
    struct Texts {
        const char* title;
        const char* areaLabel; // "回放区:" or "展示区:"
        const char* speedLabel;
        const char* namesOnly;
    };
    RollSettingsDialog(const Texts& texts, bool spaceAlignedFonts, MessageBox& messages, QWidget* parent);

    // The grid of labelled lines; a dialog's own lines go in above the area line, at row 0.
    QGridLayout& lines() { return *m_lines; }
    void addEditorButton(const char* text, const char* objectName, std::function<void()> edit);
    // After "恢复默认值？" was answered Yes.
    virtual void restoreDefaults() = 0;

    void showCommon(std::int32_t namesPerRow, std::int32_t speed, std::int32_t namesOnly);
    // "一行显示" as typed, uncorrected (empty reads as 0); the slider's speed; the check box as 0 or 1.
    std::int32_t typedNamesPerRow() const;
    std::int32_t speed() const;
    std::int32_t namesOnly() const;

    void editMargins(Margins& margins);
    void editNameFont(FontStyle& font);
    void editFont(FontStyle& font);

private:
    void askRestoreDefaults();

    bool m_spaceAlignedFonts;
    MessageBox& m_messages;
    ColorChooser m_colors;
    QGridLayout* m_lines = nullptr;
    QHBoxLayout* m_editors = nullptr;
    QLineEdit* m_namesPerRow = nullptr;
    QSlider* m_speed = nullptr;
    QLabel* m_speedValue = nullptr;
    QCheckBox* m_namesOnly = nullptr;
};

// spaceAlignedFonts: the names' font is limited to the faces a space-aligned text list keeps its columns in
// (text mode, list imported with space padding).
class PlaybackSettingsDialog final : public RollSettingsDialog {
    Q_OBJECT
public:
    PlaybackSettingsDialog(const PlaybackSettings& live, bool spaceAlignedFonts, MessageBox& messages,
                           QWidget* parent);

    void fromRecord(const PlaybackSettings& settings);
    // The controls over the draft's margins and fonts, corrected.
    PlaybackSettings toRecord() const;

private:
    void restoreDefaults() override;

    PlaybackSettings m_draft;
    QRadioButton* m_sameOrder = nullptr;
    QRadioButton* m_reverseOrder = nullptr;
};

class FullListSettingsDialog final : public RollSettingsDialog {
    Q_OBJECT
public:
    FullListSettingsDialog(const FullListSettings& live, bool spaceAlignedFonts, MessageBox& messages,
                           QWidget* parent);

    void fromRecord(const FullListSettings& settings);
    FullListSettings toRecord() const;

private:
    void restoreDefaults() override;

    FullListSettings m_draft;
};

} // namespace kelvora
