#pragma once
// The program's own icon, drawn from code: a red tile carrying a tilted gold raffle ticket with a red star.
// The window icon, the packaged PNGs and the packaged SVG all come from one set of shapes, so the picture a
// desktop menu shows from the SVG is the one the taskbar shows from the PNGs.

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace kelvora {

// The icon as a size x size ARGB32 premultiplied image, transparent outside the tile. A null image for a
// size below 1.
QImage paintAppIcon(int size);

// The same picture as a standalone SVG 1.1 document of 256 x 256 units: paths, plain fills and gradients
// only, so every renderer draws it alike.
QByteArray appIconSvg();

// The icon at the sizes window managers and taskbars ask for. Needs the application object, like any pixmap.
QIcon appIcon();

} // namespace kelvora
