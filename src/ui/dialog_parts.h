#pragma once
// Pieces every dialog of the program is built from, so that the same control behaves the same everywhere.

#include <QString>

#include <initializer_list>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace kelvora {

// A button tests can find by objectName. It never becomes the default by taking the focus: Enter stays with
// the dialog's one default button.
QPushButton* namedButton(const QString& text, const char* objectName, QWidget* parent);

// The dialog's closing row at the right of layout: the first button is the default (Enter), the others
// follow it in order.
void addClosingRow(QBoxLayout& layout, std::initializer_list<QPushButton*> buttons);

} // namespace kelvora
