#include "ui/dialog_parts.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QPushButton>

namespace kelvora {

QPushButton* namedButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

void addClosingRow(QBoxLayout& layout, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    bool first = true;
    for (QPushButton* button : buttons) {
        button->setDefault(first);
        first = false;
        row->addWidget(button);
    }
    layout.addLayout(row);
}

} // namespace kelvora
