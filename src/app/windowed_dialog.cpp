#include "app/windowed_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/display_mode.h"
#include "app/file_message.h"
#include "app/illustrations.h"
#include "settings/typed_text.h"
#include "ui/qt_text.h"

namespace kelvora {

std::int32_t parseWholeNumber(const QString& text) {
    return readNumberField(toU16String(text));
}

namespace {

QLineEdit* numberField(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    // Digits only, as in a number field; what the validator cannot stop (an empty field) reads as 0.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    edit->setMaximumWidth(90);
    return edit;
}

} // namespace

WindowedDialog::WindowedDialog(QWidget* parent) : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("窗口化"));
    m_x = numberField(this, "x");
    m_y = numberField(this, "y");
    m_width = numberField(this, "width");
    m_height = numberField(this, "height");

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("x"), this), 0, 0, Qt::AlignRight);
    fields->addWidget(m_x, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("y"), this), 1, 0, Qt::AlignRight);
    fields->addWidget(m_y, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("宽"), this), 2, 0, Qt::AlignRight);
    fields->addWidget(m_width, 2, 1);
    fields->addWidget(new QLabel(QStringLiteral(">=320"), this), 2, 2);
    fields->addWidget(new QLabel(QStringLiteral("高"), this), 3, 0, Qt::AlignRight);
    fields->addWidget(m_height, 3, 1);
    fields->addWidget(new QLabel(QStringLiteral(">=240"), this), 3, 2);
    fields->addWidget(new QLabel(QStringLiteral("单位:像素"), this), 4, 0, 1, 3);

    auto* screenInfo = new QVBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(windowedIllustration()));
    screenInfo->addWidget(picture);
    m_screenWidthLabel = new QLabel(this);
    m_screenWidthLabel->setObjectName(QStringLiteral("screenWidth"));
    m_screenHeightLabel = new QLabel(this);
    m_screenHeightLabel->setObjectName(QStringLiteral("screenHeight"));
    screenInfo->addWidget(m_screenWidthLabel);
    screenInfo->addWidget(m_screenHeightLabel);
    screenInfo->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addSpacing(16);
    top->addLayout(screenInfo);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &WindowedDialog::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_pause.setSingleShot(true);
    m_pause.setInterval(kShowCorrectionMs);
    connect(&m_pause, &QTimer::timeout, this, &QDialog::accept);

    const QRect primary = primaryScreenRect();
    setScreenSize(primary.width(), primary.height());
    fromRecord(m_draft);
}

void WindowedDialog::fromRecord(const WindowedSettings& settings) {
    // The fields show the stored rectangle even while full screen is on.
    m_draft = settings;
    m_x->setText(QString::number(settings.x));
    m_y->setText(QString::number(settings.y));
    m_width->setText(QString::number(settings.width));
    m_height->setText(QString::number(settings.height));
    m_x->setFocus();
    m_x->selectAll();
}

WindowedSettings WindowedDialog::toRecord() const {
    WindowedSettings settings = m_draft;
    settings.fullScreen = 0;
    settings.x = parseWholeNumber(m_x->text());
    settings.y = parseWholeNumber(m_y->text());
    settings.width = parseWholeNumber(m_width->text());
    settings.height = parseWholeNumber(m_height->text());
    clampWindowRect(settings, m_screenWidth, m_screenHeight);
    return settings;
}

void WindowedDialog::setScreenSize(int width, int height) {
    m_screenWidth = width;
    m_screenHeight = height;
    m_screenWidthLabel->setText(QStringLiteral("屏宽:%1").arg(width));
    m_screenHeightLabel->setText(QStringLiteral("屏高:%1").arg(height));
}

void WindowedDialog::confirm() {
    if (m_pause.isActive())
        return;
    // Corrected once more, corrected values stay as they are: toRecord() after the pause gives exactly what
    // the operator saw, and nothing can be typed over it meanwhile.
    const WindowedSettings corrected = toRecord();
    m_x->setText(QString::number(corrected.x));
    m_y->setText(QString::number(corrected.y));
    m_width->setText(QString::number(corrected.width));
    m_height->setText(QString::number(corrected.height));
    for (QLineEdit* field : {m_x, m_y, m_width, m_height})
        field->setReadOnly(true);
    // The pause runs in the event loop so the corrected values are painted; the buttons wait meanwhile.
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    m_pause.start();
}

void WindowedDialog::reject() {
    if (!m_pause.isActive())
        CenteredDialog::reject();
}

} // namespace kelvora
