#pragma once
// Pictures drawn into a rectangle of the screen with their aspect ratio kept: the photo tiles of a draw and
// the tiles of the rolls.

#include <QSize>

#include "screen/screen_geometry.h"

class QImage;
class QPainter;

namespace kelvora {

class FCObjImage;

// The largest imageW x imageH scaled size that fits width x height: the side that limits is scaled to the
// rectangle's, the other by the same factor (truncated, at most the rectangle's). Empty for an empty picture
// or rectangle.
QSize fittedSize(int imageW, int imageH, int width, int height);

// Where drawImageFitted puts a picture: fittedSize placed at the rectangle's left (hAlign 0), right (2) or
// centre (anything else: trunc((rectW - w) * 0.5 + left)); vAlign likewise with top, bottom and the middle.
// Empty for an empty picture or rectangle.
PixelRect fitImageRect(int imageW, int imageH, const PixelRect& rect, int hAlign, int vAlign);

// Draws the picture into fitImageRect, nearest neighbour: copied when it has that size, else stretched.
// 32-bit pictures are blended as premultiplied. Nothing for an empty rectangle or an invalid picture.
void drawImageFitted(QPainter& painter, const FCObjImage& image, const PixelRect& rect, int hAlign,
                     int vAlign);
// The same for a QImage of any format; its alpha, if any, is blended.
void drawImageFitted(QPainter& painter, const QImage& image, const PixelRect& rect, int hAlign, int vAlign);

} // namespace kelvora
