#pragma once
// The pictures of the program's small dialogs and its icon, painted in code so that they stay sharp and need
// no image files beside the program.

#include <QIcon>
#include <QImage>

namespace kelvora {

// A presentation remote whose page-down key advances the draw like Space.
QImage remoteIllustration();
// A touch screen tapped twice: a double tap advances the draw like Space.
QImage touchIllustration();
// A function-key row with Ctrl: each command key works alone and with Ctrl held.
QImage doubleKeysIllustration();
// A screen with a smaller window on it, for the windowed-mode dialog.
QImage windowedIllustration();

QIcon programIcon();

} // namespace kelvora
