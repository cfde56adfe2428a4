#pragma once
// The two small choices of the look: what the info bar shows ("信息条设置") and how photos are captioned and
// cropped ("照片效果 （图片模式时）"). Each edits its fields of the interface dialog's draft on "确定".

#include "settings/interface_settings.h"
#include "ui/centered_dialog.h"

class QButtonGroup;
class QCheckBox;

namespace kelvora {

class InfoBarContentDialog : public CenteredDialog {
    Q_OBJECT
public:
    InfoBarContentDialog(const InterfaceSettings& draft, QWidget* parent);
    // infoBarShowProgress, infoBarShowPrizeText and infoBarShowPrompt as checked.
    void writeTo(InterfaceSettings& draft) const;

private:
    QCheckBox* m_progress = nullptr;
    QCheckBox* m_prizeText = nullptr;
    QCheckBox* m_prompt = nullptr;
};

class PhotoEffectDialog : public CenteredDialog {
    Q_OBJECT
public:
    PhotoEffectDialog(const InterfaceSettings& draft, QWidget* parent);
    // photoCaption and photoCrop as chosen.
    void writeTo(InterfaceSettings& draft) const;

private:
    QButtonGroup* m_caption = nullptr;
    QButtonGroup* m_crop = nullptr;
};

} // namespace kelvora
