#include "app/help_page.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

#include "app/display_mode.h"
#include "app/private_folder.h"
#include "ui/centered_dialog.h"

namespace kelvora {

namespace {
const QString kResource = QStringLiteral(":/help/index.html");
}

QString helpPageHtml() {
    QFile file(kResource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString writeHelpPage() {
    // The pictures go beside the page, which names them relatively.
    const QDir pictures(QStringLiteral(":/help"), QStringLiteral("*.png"));
    for (const QString& name : pictures.entryList(QDir::Files))
        if (writeResourceFile(pictures.filePath(name), name).isEmpty())
            return {};
    return writeResourceFile(kResource, QStringLiteral("使用指南.html"));
}

void showHelpWindow(QWidget* parent) {
    CenteredDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("使用指南"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* browser = new QTextBrowser(&dialog);
    browser->setSearchPaths({QStringLiteral(":/help")});
    browser->setHtml(helpPageHtml());
    layout->addWidget(browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const QRect desktop = primaryScreenRect();
    dialog.resize(std::min(900, desktop.width()), std::min(700, desktop.height()));
    dialog.exec();
}

} // namespace kelvora
