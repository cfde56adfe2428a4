#include "screen/ui/name_font_dialog.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kRollSpaceAlignedNotice =
    u"限下列字体：\n楷体、黑体、新宋、仿宋、隶书\n\n\n"
    u"因导入名单时，选了补空格对齐\n如不做对齐处理，可选任意字体";

} // namespace

NameFontDialog::NameFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages,
                               QWidget* parent)
    : FontStyleDialog(font, QStringLiteral("字体"), true, QStringLiteral("无特效"), spaceAlignedOnly,
                      &messages, kRollSpaceAlignedNotice, parent) {}

} // namespace kelvora
