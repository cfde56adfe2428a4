#include "screen/ui/font_dialog.h"

#include <QTimer>

#include "platform/message_box.h"
#include "screen/font_faces.h"
#include "screen/ui/font_style_form.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kSpaceAlignedNotice =
    u"滚动区限下列字体：\n楷体、黑体、新宋、仿宋、隶书\n\n\n"
    u"因导入名单时，选了补空格对齐\n如不做对齐处理，可选任意字体";
// Long enough for the dialog to be painted before the notice covers it.
constexpr int kNoticeDelayMs = 350;

} // namespace

FontDialog::FontDialog(const FontStyle& font, QWidget* parent) : CenteredDialog(parent), m_font(font) {
    setWindowTitle(QStringLiteral("字体"));
    m_form = buildFontDialog(*this, font, {fontFaceChoices(), true, QStringLiteral("无特效")}, m_font);
}

const FontStyle& FontDialog::font() const {
    return m_font;
}

void FontDialog::setColorChooser(ColorChooser chooser) {
    m_form->setColorChooser(std::move(chooser));
}

ScrollFontDialog::ScrollFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages,
                                   QWidget* parent)
    : CenteredDialog(parent), m_font(font), m_messages(messages), m_spaceAlignedOnly(spaceAlignedOnly) {
    setWindowTitle(QStringLiteral("字体等"));
    // A list padded with spaces keeps its columns only in faces where a Chinese character is two spaces wide.
    m_form = buildFontDialog(
        *this, font,
        {spaceAlignedOnly ? spaceAlignedFaceChoices() : fontFaceChoices(), false, QStringLiteral("无")},
        m_font);
}

const FontStyle& ScrollFontDialog::font() const {
    return m_font;
}

void ScrollFontDialog::setColorChooser(ColorChooser chooser) {
    m_form->setColorChooser(std::move(chooser));
}

void ScrollFontDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (!m_spaceAlignedOnly || m_noticeScheduled)
        return;
    m_noticeScheduled = true;
    QTimer::singleShot(kNoticeDelayMs, this, [this] {
        // Closed within the delay: the notice would stand over nothing.
        if (isVisible())
            m_messages.show(static_cast<QWidget*>(this), kSpaceAlignedNotice, MessageIcon::Warning);
    });
}

} // namespace kelvora
