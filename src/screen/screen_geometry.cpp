#include "screen/screen_geometry.h"

#include <algorithm>

namespace kelvora {

namespace {

// trunc(total × pct / 100): the product first, as the band arithmetic has always been done.
int share(int total, int pct) {
    return int(double(total) * double(pct) / 100.0);
}

} // namespace

BandGeometry computeBandGeometry(Band band, const InterfaceSettings& settings, int width, int height) {
    const int mainH = share(height, settings.mainTitleHeightPct);
    const int subH = share(height, settings.subtitleHeightPct);
    const int infoH = share(height, settings.infoBarHeightPct);

    int top = 0;
    int bandH = 0;
    const Margins* margins = nullptr;
    switch (band) {
    case Band::MainTitle:
        top = 0;
        bandH = mainH;
        margins = &settings.mainTitleMargins;
        break;
    case Band::Subtitle:
        top = mainH;
        bandH = subH;
        margins = &settings.subtitleMargins;
        break;
    case Band::InfoBar:
        top = mainH + subH;
        bandH = infoH;
        margins = &settings.infoBarMargins;
        break;
    case Band::ScrollArea:
        top = mainH + subH + infoH;
        bandH = height - top;
        margins = &settings.scrollMargins;
        break;
    }
    BandGeometry geometry;
    geometry.band = PixelRect{0, top, width, top + bandH};
    geometry.inner.left = share(width, margins->left);
    geometry.inner.right = width - share(width, margins->right);
    geometry.inner.top = top + share(bandH, margins->top);
    geometry.inner.bottom = top + bandH - share(bandH, margins->bottom);
    return geometry;
}

PixelRect prizePictureRect(const InterfaceSettings& settings, int width, int height, int imageWidth,
                           int imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0 || settings.prizeImageWidthPct == 0)
        return {};
    // trunc(pct / 100 × W): the column's width has always been taken in this order, unlike the bands.
    const int colW = int(double(settings.prizeImageWidthPct) / 100.0 * double(width));
    const int origin = settings.prizeImageOnLeft ? 0 : width - colW;
    const Margins& m = settings.prizeImageMargins;
    const int x0 = origin + share(colW, m.left);
    const int x1 = origin + colW - share(colW, m.right);
    const int top = share(height, m.top);
    const int bottom = height - share(height, m.bottom);
    const int innerW = x1 - x0;
    const int innerH = bottom - top;
    if (innerW <= 0 || innerH <= 0)
        return {};

    const double imageW = imageWidth;
    const double imageH = imageHeight;
    const double s = double(innerW) / double(innerH) <= imageW / imageH ? imageW / double(innerW)
                                                                        : imageH / double(innerH);
    const int drawnW = std::min(int(imageW / s), innerW);
    const int drawnH = std::min(int(imageH / s), innerH);
    const int x = int(double(innerW - drawnW) * 0.5 + double(x0));
    return PixelRect{x, bottom - drawnH, x + drawnW, bottom};
}

} // namespace kelvora
