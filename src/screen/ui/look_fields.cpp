#include "screen/ui/look_fields.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <string_view>

#include "settings/typed_text.h"

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
    const QString text = field.text();
    return readNumberField(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<std::size_t>(text.size())));
}

} // namespace kelvora
