#pragma once
// The number fields of the look's dialogs: plain unsigned whole numbers, read the one way every field of the
// program is read.

#include <cstdint>

class QLineEdit;
class QWidget;

namespace kelvora {

// A digits-only edit showing value.
QLineEdit* lookNumberField(std::int32_t value, const char* objectName, QWidget* parent);

// What the field holds as a number: empty or invalid text reads as 0, too large a number as the largest.
std::int32_t readLookNumber(const QLineEdit& field);

} // namespace kelvora
