#pragma once
// "字体" and "字体等": the dialogs that edit one FontStyle of the look (a title's, the info bar's, the scroll
// area's). Each works on a copy and writes it back only on "确定".

#include <QString>

#include <functional>
#include <optional>

#include "settings/colorref.h"
#include "settings/interface_settings.h"
#include "ui/centered_dialog.h"

namespace kelvora {

class FontStyleForm;
class MessageBox;

// The colour chooser a swatch opens, seeded with the swatch's colour; nothing when cancelled. The program
// uses the Qt colour dialog; tests answer in its place.
using ColorChooser = std::function<std::optional<ColorRef>(QWidget* parent, ColorRef initial)>;

// "字体": face, size 16..125, "加粗", the effect and the two colours.
class FontDialog : public CenteredDialog {
    Q_OBJECT
public:
    FontDialog(const FontStyle& font, QWidget* parent);

    // The edited copy; the font given at construction until "确定".
    const FontStyle& font() const;
    void setColorChooser(ColorChooser chooser);

private:
    FontStyle m_font;
    FontStyleForm* m_form = nullptr;
};

// "字体等": the scroll area's font, without a size (each prize sets its own size and column count). With
// spaceAlignedOnly the face list is limited to the faces a space-aligned name list keeps its columns in,
// and a notice says so once, 350 ms after the dialog opens.
class ScrollFontDialog : public CenteredDialog {
    Q_OBJECT
public:
    ScrollFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages, QWidget* parent);

    const FontStyle& font() const;
    void setColorChooser(ColorChooser chooser);

private:
    void showEvent(QShowEvent* event) override;

    FontStyle m_font;
    FontStyleForm* m_form = nullptr;
    MessageBox& m_messages;
    bool m_spaceAlignedOnly = false;
    bool m_noticeScheduled = false;
};

} // namespace kelvora
