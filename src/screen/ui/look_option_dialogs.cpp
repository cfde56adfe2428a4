#include "screen/ui/look_option_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "screen/photo_tiles.h"
#include "ui/dialog_parts.h"

namespace kelvora {

namespace {

void addOkCancel(QDialog& dialog, QVBoxLayout& layout) {
    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", &dialog);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", &dialog);
    addClosingRow(layout, {ok, cancel});
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

QCheckBox* addCheck(const char* text, const char* name, bool checked, QWidget* parent, QVBoxLayout& layout) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    layout.addWidget(box);
    return box;
}

struct Choice {
    const char* text;
    const char* name;
};

// A group of three radio buttons with ids 0..2, the one with id checked selected.
QButtonGroup* addChoices(const char* title, const Choice (&choices)[3], int checked, QWidget* parent,
                         QVBoxLayout& layout) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* boxLayout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(parent);
    for (int id = 0; id < 3; ++id) {
        auto* button = new QRadioButton(QString::fromUtf8(choices[id].text), box);
        button->setObjectName(QLatin1String(choices[id].name));
        group->addButton(button, id);
        boxLayout->addWidget(button);
    }
    group->button(std::clamp(checked, 0, 2))->setChecked(true);
    layout.addWidget(box);
    return group;
}

} // namespace

InfoBarContentDialog::InfoBarContentDialog(const InterfaceSettings& draft, QWidget* parent)
    : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("信息条设置"));
    auto* layout = new QVBoxLayout(this);
    // The prize's name is what the info bar is for: always shown.
    addCheck("奖项", "prizeName", true, this, *layout)->setEnabled(false);
    m_progress = addCheck("进度", "progress", draft.infoBarShowProgress != 0, this, *layout);
    m_prizeText = addCheck("奖品", "prizeText", draft.infoBarShowPrizeText != 0, this, *layout);
    m_prompt = addCheck("操作提示", "prompt", draft.infoBarShowPrompt != 0, this, *layout);
    addOkCancel(*this, *layout);
}

void InfoBarContentDialog::writeTo(InterfaceSettings& draft) const {
    draft.infoBarShowProgress = m_progress->isChecked() ? 1 : 0;
    draft.infoBarShowPrizeText = m_prizeText->isChecked() ? 1 : 0;
    draft.infoBarShowPrompt = m_prompt->isChecked() ? 1 : 0;
}

PhotoEffectDialog::PhotoEffectDialog(const InterfaceSettings& draft, QWidget* parent)
    : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("照片效果 （图片模式时）"));
    auto* layout = new QVBoxLayout(this);
    // A stored value that is no mode (a hand-edited file) shows as what the screen draws for it.
    m_caption = addChoices("图片文件名",
                           {{"在图片上显示", "captionOnPicture"},
                            {"在图片外显示", "captionOutside"},
                            {"不显示", "captionHidden"}},
                           int(photoCaptionOf(draft.photoCaption)), this, *layout);
    m_crop = addChoices("头像化/裁剪",
                        {{"椭圆形裁剪", "cropEllipse"}, {"圆形裁剪", "cropCircle"}, {"不裁剪", "cropNone"}},
                        int(photoCropOf(draft.photoCrop)), this, *layout);
    addOkCancel(*this, *layout);
}

void PhotoEffectDialog::writeTo(InterfaceSettings& draft) const {
    draft.photoCaption = std::max(0, m_caption->checkedId());
    draft.photoCrop = std::max(0, m_crop->checkedId());
}

} // namespace kelvora
