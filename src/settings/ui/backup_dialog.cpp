#include "settings/ui/backup_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/file_system.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

QPushButton* addButton(QLayout* layout, const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

} // namespace

BackupDialog::BackupDialog(const std::filesystem::path& settingsFolder, QWidget* parent)
    : CenteredDialog(parent) {
    setWindowTitle(QStringLiteral("参数备份与还原"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("配置文件存放于:"), this));
    // A read-only field rather than a label, so that the path can be selected and copied.
    auto* path = new QPlainTextEdit(this);
    path->setObjectName(QStringLiteral("settingsFolder"));
    path->setReadOnly(true);
    path->setPlainText(toQString(pathText(settingsFolder)));
    path->setFixedHeight(path->fontMetrics().lineSpacing() * 3 + 12);
    path->setMinimumWidth(420);
    layout->addWidget(path);
    layout->addWidget(new QLabel(QStringLiteral("备份 - 复制相应的文件(夹)到别处"), this));
    layout->addWidget(new QLabel(QStringLiteral("还原 - 将备份的文件(夹)覆盖回来"), this));

    // Built hidden: a dialog without actions is the hand-made backup alone.
    m_standby = new QWidget(this);
    auto* standby = new QVBoxLayout(m_standby);
    standby->setContentsMargins(0, 0, 0, 0);
    auto* packageBox =
        new QGroupBox(QStringLiteral("活动包 - 整场活动存为一个文件，带到另一台电脑"), m_standby);
    auto* packageRow = new QHBoxLayout(packageBox);
    QPushButton* pack =
        addButton(packageRow, QStringLiteral("打包活动..."), QStringLiteral("pack"), packageBox);
    QPushButton* open =
        addButton(packageRow, QStringLiteral("打开活动包..."), QStringLiteral("openPackage"), packageBox);
    packageRow->addStretch(1);
    standby->addWidget(packageBox);

    auto* mirrorBox = new QGroupBox(QStringLiteral("备用位置 - 每次保存后自动复制整个软件和数据"), m_standby);
    auto* mirror = new QVBoxLayout(mirrorBox);
    m_mirrorFolder = new QLabel(mirrorBox);
    m_mirrorFolder->setObjectName(QStringLiteral("mirrorFolder"));
    m_mirrorFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_mirrorFolder->setWordWrap(true);
    mirror->addWidget(m_mirrorFolder);
    m_mirrorState = new QLabel(mirrorBox);
    m_mirrorState->setObjectName(QStringLiteral("mirrorState"));
    m_mirrorState->setWordWrap(true);
    mirror->addWidget(m_mirrorState);
    auto* mirrorRow = new QHBoxLayout;
    QPushButton* choose =
        addButton(mirrorRow, QStringLiteral("选择备用位置..."), QStringLiteral("chooseMirror"), mirrorBox);
    m_mirrorOff =
        addButton(mirrorRow, QStringLiteral("关闭备用位置"), QStringLiteral("mirrorOff"), mirrorBox);
    mirrorRow->addStretch(1);
    mirror->addLayout(mirrorRow);
    standby->addWidget(mirrorBox);
    m_standby->hide();
    layout->addWidget(m_standby);

    const auto run = [this](std::function<void()> BackupActions::*action) {
        return [this, action] {
            if (m_actions.*action)
                (m_actions.*action)();
            showMirror();
        };
    };
    connect(pack, &QPushButton::clicked, this, run(&BackupActions::pack));
    connect(open, &QPushButton::clicked, this, run(&BackupActions::openPackage));
    connect(choose, &QPushButton::clicked, this, run(&BackupActions::chooseMirror));
    connect(m_mirrorOff, &QPushButton::clicked, this, run(&BackupActions::mirrorOff));
    m_refresh.setInterval(500);
    connect(&m_refresh, &QTimer::timeout, this, &BackupDialog::showMirror);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    ok->setFocus();
}

void BackupDialog::setActions(BackupActions actions) {
    m_actions = std::move(actions);
    m_standby->show();
    showMirror();
    m_refresh.start();
}

void BackupDialog::showMirror() {
    if (!m_actions.mirrorText)
        return;
    const MirrorLine line = m_actions.mirrorText();
    m_mirrorFolder->setText(line.folder.empty() ? QStringLiteral("未选择备用位置")
                                                : QStringLiteral("位置: %1").arg(toQString(line.folder)));
    m_mirrorState->setText(toQString(line.state));
    m_mirrorOff->setEnabled(line.on);
}

} // namespace kelvora
