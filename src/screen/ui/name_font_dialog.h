#pragma once
// "字体" of the two rolls: the names' font of the replay and of the full list. It is the look's font dialog
// (size 16..125 on "确定"), except that a space-aligned text list limits the faces, as the scroll area's font
// does, and says so once, 350 ms after the dialog opens.

#include "screen/ui/font_dialog.h"

namespace kelvora {

class NameFontDialog : public FontStyleDialog {
    Q_OBJECT
public:
    NameFontDialog(const FontStyle& font, bool spaceAlignedOnly, MessageBox& messages, QWidget* parent);
};

} // namespace kelvora
