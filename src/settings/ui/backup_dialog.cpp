#include "settings/ui/backup_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/file_system.h"
#include "ui/qt_text.h"

namespace kelvora {

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

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    ok->setFocus();
}

} // namespace kelvora
