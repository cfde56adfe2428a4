#pragma once
// "字体" and "字体等": the dialogs that edit one FontStyle of the look (a title's, the info bar's, the scroll
// area's). Each works on a copy and writes it back only on "确定".

#include <QString>

#include <functional>
#include <optional>
#include <string_view>

#include "settings/colorref.h"
#include "settings/interface_settings.h"
#include "ui/centered_dialog.h"

namespace kelvora {

class FontStyleForm;
class MessageBox;

// The colour chooser a swatch opens, seeded with the swatch's colour; nothing when cancelled. The program
// uses the Qt colour dialog; tests answer in its place.
using ColorChooser = std::function<std::optional<ColorRef>(QWidget* parent, ColorRef initial)>;

// What the font dialogs share: a copy of one FontStyle edited in the font form and written back on "确定",
// and, when the faces are limited for a space-aligned name list, a notice that says so once, 350 ms after
// the dialog opens.
class FontStyleDialog : public CenteredDialog {
    Q_OBJECT
public:
    // The edited copy; the font given at construction until "确定".
    const FontStyle& font() const { return m_font; }
    void setColorChooser(ColorChooser chooser);

protected:
    // messages and notice are used only when spaceAlignedOnly is set.
    FontStyleDialog(const FontStyle& font, const QString& title, bool withSize, const QString& noEffectText,
                    bool spaceAlignedOnly, MessageBox* messages, std::u16string_view notice, QWidget* parent);

    void showEvent(QShowEvent* event) override;

private:
    FontStyle m_font;
    FontStyleForm* m_form = nullptr;
    MessageBox* m_messages = nullptr;
    std::u16string_view m_notice;
    bool m_noticeDue = false;
};

// "字体": face, size 16..125, "加粗", the effect and the two colours.
class FontDialog : public FontStyleDialog {
    Q_OBJECT
public:
    FontDialog(const FontStyle& font, QWidget* parent);
};

// "字体等": the scroll area's font, without a size (each prize sets its own size and column count). With
// spaceAlignedOnly the face list is limited to the faces a space-aligned name list keeps its columns in.
class ScrollFontDialog : public FontStyleDialog {
    Q_OBJECT
public:
    ScrollFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages, QWidget* parent);
};

} // namespace kelvora
