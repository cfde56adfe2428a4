#include "app/info_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/illustrations.h"
#include "platform/message_box.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

QPushButton* addOkButton(QDialog& dialog, QVBoxLayout& layout) {
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout.addWidget(buttons);
    return ok;
}

} // namespace

InfoDialog::InfoDialog(InfoTopic topic, QWidget* parent) : CenteredDialog(parent) {
    QString title;
    QString line;
    QImage picture;
    switch (topic) {
    case InfoTopic::Remote:
        title = QStringLiteral("支持翻页笔");
        line = QStringLiteral("支持翻页笔：");
        picture = remoteIllustration();
        break;
    case InfoTopic::Touch:
        title = QStringLiteral("触摸屏");
        line = QStringLiteral("支持触摸屏：");
        picture = touchIllustration();
        break;
    case InfoTopic::DoubleKeys:
        title = QStringLiteral("双快捷键");
        line = QStringLiteral("支持双快捷键：");
        picture = doubleKeysIllustration();
        break;
    }
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(line, this));
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("illustration"));
    image->setPixmap(QPixmap::fromImage(picture));
    layout->addWidget(image);
    addOkButton(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

AboutDialog::AboutDialog(QWidget* parent) : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("关于"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(64, 64));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("product"));
    text->setText(QStringLiteral("<b>%1</b><br><br>年会、庆典与活动的抽奖软件<br>由 Kelvora 开发者编写")
                      .arg(toQString(kProgramCaption)));
    text->setTextFormat(Qt::RichText);
    row->addWidget(text, 1);
    layout->addLayout(row);
    addOkButton(*this, *layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kelvora
