#pragma once
// The one way the program talks to the operator in a modal box. Only the user interface holds one: the engine
// asks its host, and the file code returns results that the interface words and shows. The program installs a
// QMessageBox-backed one and tests install a recorder with scripted answers.

#include <string>
#include <string_view>

namespace kelvora {

// Caption of every message box and the main window's title.
inline constexpr std::u16string_view kProgramCaption = u"Kelvora 3.9";

enum class MessageIcon { Information, Warning, Error, Question };

enum class MessageButtons {
    Ok,
    YesNo,          // Yes is the default button
    YesNoDefaultNo, // No is the default: Enter on a destructive question must not confirm it
};

enum class MessageAnswer { Ok, Yes, No };

// Opaque owner window: a QWidget* in the program, nullptr when there is no window yet.
using OwnerWindow = void*;

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MessageAnswer show(OwnerWindow owner, std::u16string_view text, MessageIcon icon,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

} // namespace kelvora
