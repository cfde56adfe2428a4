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

FontStyleDialog::FontStyleDialog(const FontStyle& font, const QString& title, bool withSize,
                                 const QString& noEffectText, bool spaceAlignedOnly, MessageBox* messages,
                                 std::u16string_view notice, QWidget* parent)
    : CenteredDialog(parent), m_font(font), m_messages(messages), m_notice(notice),
      m_noticeDue(spaceAlignedOnly && messages) {
    setWindowTitle(title);
    // A list padded with spaces keeps its columns only in faces where a Chinese character is two spaces wide.
    m_form = buildFontDialog(
        *this, font,
        {spaceAlignedOnly ? spaceAlignedFaceChoices() : fontFaceChoices(), withSize, noEffectText}, m_font);
}

void FontStyleDialog::setColorChooser(ColorChooser chooser) {
    m_form->setColorChooser(std::move(chooser));
}

void FontStyleDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (!m_noticeDue)
        return;
    m_noticeDue = false;
    QTimer::singleShot(kNoticeDelayMs, this, [this] {
        // Closed within the delay: the notice would stand over nothing.
        if (isVisible())
            m_messages->show(static_cast<QWidget*>(this), m_notice, MessageIcon::Warning);
    });
}

FontDialog::FontDialog(const FontStyle& font, QWidget* parent)
    : FontStyleDialog(font, QStringLiteral("字体"), true, QStringLiteral("无特效"), false, nullptr, {},
                      parent) {}

ScrollFontDialog::ScrollFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages,
                                   QWidget* parent)
    : FontStyleDialog(font, QStringLiteral("字体等"), false, QStringLiteral("无"), spaceAlignedOnly,
                      &messages, kSpaceAlignedNotice, parent) {}

} // namespace kelvora
