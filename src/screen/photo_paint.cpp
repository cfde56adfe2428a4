#include "screen/photo_paint.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "image/fc_obj_image.h"

namespace kelvora {

namespace {

int alignedStart(int start, int end, int size, int align) {
    if (align == 0)
        return start;
    if (align == 2)
        return end - size;
    return int((end - start - size) * 0.5 + start);
}

} // namespace

QSize fittedSize(int imageW, int imageH, int width, int height) {
    if (imageW <= 0 || imageH <= 0 || width <= 0 || height <= 0)
        return {};
    const double s =
        double(width) / height <= double(imageW) / imageH ? double(imageW) / width : double(imageH) / height;
    return QSize(std::min(int(imageW / s), width), std::min(int(imageH / s), height));
}

PixelRect fitImageRect(int imageW, int imageH, const PixelRect& rect, int hAlign, int vAlign) {
    const QSize size = fittedSize(imageW, imageH, rect.width(), rect.height());
    if (size.isEmpty())
        return {};
    const int x = alignedStart(rect.left, rect.right, size.width(), hAlign);
    const int y = alignedStart(rect.top, rect.bottom, size.height(), vAlign);
    return PixelRect{x, y, x + size.width(), y + size.height()};
}

void drawImageFitted(QPainter& painter, const FCObjImage& image, const PixelRect& rect, int hAlign,
                     int vAlign) {
    if (!image.isValid())
        return;
    const PixelRect target = fitImageRect(image.width(), image.height(), rect, hAlign, vAlign);
    image.draw(painter, target.left, target.top, target.right, target.bottom);
}

void drawImageFitted(QPainter& painter, const QImage& image, const PixelRect& rect, int hAlign, int vAlign) {
    if (image.isNull())
        return;
    const PixelRect target = fitImageRect(image.width(), image.height(), rect, hAlign, vAlign);
    if (target.isEmpty())
        return;
    const bool previousSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(target.left, target.top, target.width(), target.height()), image, image.rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, previousSmooth);
}

} // namespace kelvora
