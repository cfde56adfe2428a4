#include "settings/ui/draw_mode_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace kelvora {

DrawModeDialog::DrawModeDialog(DrawMode& drawMode, const DataPaths& paths, bool drawStarted,
                               MessageBox& messages, QWidget* parent)
    : CenteredDialog(parent), m_drawMode(drawMode), m_paths(paths), m_messages(messages) {
    setWindowTitle(QStringLiteral("参数设置 - 模式 & 名单"));
    // No close box: the title bar keeps only its title.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("抽奖模式"), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_textMode = new QRadioButton(QStringLiteral("文字/号码模式"), group);
    m_textMode->setObjectName(QStringLiteral("textMode"));
    m_pictureMode = new QRadioButton(QStringLiteral("图片/照片模式"), group);
    m_pictureMode->setObjectName(QStringLiteral("pictureMode"));
    groupLayout->addWidget(m_textMode);
    groupLayout->addWidget(m_pictureMode);
    auto* oneWin = new QLabel(QStringLiteral("*每人只能中一次奖"), group);
    groupLayout->addWidget(oneWin);
    layout->addWidget(group);

    auto* locked = new QLabel(toQString(kModeLockedNote), this);
    locked->setObjectName(QStringLiteral("lockedNote"));
    layout->addWidget(locked);

    auto* nextButton = new QPushButton(QStringLiteral("下一步"), this);
    nextButton->setObjectName(QStringLiteral("next"));
    nextButton->setDefault(true);
    layout->addWidget(nextButton, 0, Qt::AlignRight);
    connect(nextButton, &QPushButton::clicked, this, &DrawModeDialog::next);

    (drawMode.isTextMode() ? m_textMode : m_pictureMode)->setChecked(true);
    // The pool was taken from the list of this mode; another mode would leave the draw on a list it never
    // drew from.
    m_textMode->setEnabled(!drawStarted);
    m_pictureMode->setEnabled(!drawStarted);
    locked->setVisible(drawStarted);
    nextButton->setFocus();
}

std::int32_t DrawModeDialog::chosenMode() const {
    return m_pictureMode->isChecked() ? kPictureMode : kTextMode;
}

void DrawModeDialog::next() {
    m_drawMode.mode = chosenMode();
    const FileResult saved = saveDrawMode(m_paths, m_drawMode);
    if (!saved)
        m_messages.show(static_cast<QWidget*>(this), messageText(saved), MessageIcon::Error);
    accept();
}

void chooseDrawMode(QWidget* owner, DrawMode& drawMode, const DataPaths& paths, bool drawStarted,
                    MessageBox& messages, const ListEditorOpeners& editors) {
    {
        DrawModeDialog dialog(drawMode, paths, drawStarted, messages, owner);
        dialog.exec();
    }
    const auto& open = drawMode.isTextMode() ? editors.openTextList : editors.openPictureList;
    if (open)
        open(owner);
}

} // namespace kelvora
