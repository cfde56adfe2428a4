#include "screen/ui/look_fields.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "settings/typed_text.h"
#include "ui/qt_text.h"

namespace kelvora {

QLineEdit* lookNumberField(std::int32_t value, const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(QLatin1String(objectName));
    // What the validator cannot stop (an empty field, a pasted value set by code) is left to the reader.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    edit->setMaximumWidth(70);
    return edit;
}

std::int32_t readLookNumber(const QLineEdit& field) {
    return readNumberField(toU16String(field.text()));
}

} // namespace kelvora
