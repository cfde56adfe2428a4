#include "screen/ui/name_font_dialog.h"

#include <QTimer>

#include "platform/message_box.h"
#include "screen/font_faces.h"
#include "screen/ui/font_style_form.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kRollSpaceAlignedNotice =
    u"限下列字体：\n楷体、黑体、新宋、仿宋、隶书\n\n\n"
    u"因导入名单时，选了补空格对齐\n如不做对齐处理，可选任意字体";
// Long enough for the dialog to be painted before the notice covers it.
constexpr int kNoticeDelayMs = 350;

} // namespace

NameFontDialog::NameFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages,
                               QWidget* parent)
    : CenteredDialog(parent), m_font(font), m_messages(messages), m_spaceAlignedOnly(spaceAlignedOnly) {
    setWindowTitle(QStringLiteral("字体"));
    // The rolls keep the list's columns only in faces where a Chinese character is two spaces wide.
    m_form = buildFontDialog(
        *this, font,
        {spaceAlignedOnly ? spaceAlignedFaceChoices() : fontFaceChoices(), true, QStringLiteral("无特效")},
        m_font);
}

const FontStyle& NameFontDialog::font() const {
    return m_font;
}

void NameFontDialog::setColorChooser(ColorChooser chooser) {
    m_form->setColorChooser(std::move(chooser));
}

void NameFontDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (!m_spaceAlignedOnly || m_noticeScheduled)
        return;
    m_noticeScheduled = true;
    QTimer::singleShot(kNoticeDelayMs, this, [this] {
        // Closed within the delay: the notice would stand over nothing.
        if (isVisible())
            m_messages.show(static_cast<QWidget*>(this), kRollSpaceAlignedNotice, MessageIcon::Warning);
    });
}

} // namespace kelvora
