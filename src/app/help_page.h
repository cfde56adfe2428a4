#pragma once
// The operator's guide that ships inside the program: written out as an HTML file and opened in the
// desktop's browser, or shown in a window of its own where the desktop cannot open it.

#include <QString>

class QWidget;

namespace kelvora {

// The guide's HTML, empty when the program was built without it.
QString helpPageHtml();

// Writes the guide into a folder of this user's under the temporary folder and returns the file's path, or
// an empty string when it could not be written.
QString writeHelpPage();

// Shows the guide in a modal window owned by parent.
void showHelpWindow(QWidget* parent);

} // namespace kelvora
