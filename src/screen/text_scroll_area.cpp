#include "screen/text_scroll_area.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace kelvora {

namespace {

int digitCount(int value) {
    long long v = value < 0 ? -static_cast<long long>(value) : value;
    int digits = 1;
    while (v >= 10) {
        v /= 10;
        ++digits;
    }
    return digits;
}

int clampedShown(const DrawProgress& progress) {
    return std::clamp(progress.shownCount, 0, kMaxShown);
}

} // namespace

PixelRect TextGrid::slotRect(int slot) const {
    const int c = slot % cols;
    const int r = slot / cols;
    PixelRect rect;
    rect.left = int(insetX + inner.left + cellW * c);
    rect.right = int(inner.left + cellW * (c + 1) - insetX);
    rect.top = int(insetY + inner.top + cellH * r);
    rect.bottom = int(inner.top + cellH * (r + 1) - insetY);
    return rect;
}

TextGrid layoutScrollGrid(const PixelRect& inner, int perLine, int shownCount, double insetXShare) {
    TextGrid grid;
    grid.inner = inner;
    grid.cols = std::max(1, perLine);
    grid.rows = shownCount > 0 ? (shownCount - 1) / grid.cols + 1 : 1;
    grid.cellW = double(inner.right - inner.left) / grid.cols;
    grid.cellH = double(inner.bottom - inner.top) / grid.rows;
    grid.insetX = int(grid.cellW * insetXShare);
    grid.insetY = int(grid.cellH * 0.025);
    return grid;
}

TextGrid layoutTextGrid(const PixelRect& inner, int perLine, int shownCount) {
    return layoutScrollGrid(inner, perLine, shownCount, 0.05);
}

void drawGridLines(QPainter& painter, const TextGrid& grid) {
    painter.setPen(gridPen());
    const PixelRect& r = grid.inner;
    if (grid.cellW >= 1) {
        for (int j = 1; j < grid.cols; ++j) {
            const int x = int(r.left + grid.cellW * j);
            if (r.bottom > r.top)
                painter.drawLine(x, r.top, x, r.bottom - 1);
        }
    }
    if (grid.cellH >= 1) {
        for (int i = 1; i < grid.rows; ++i) {
            const int y = int(r.top + grid.cellH * i);
            if (r.right > r.left)
                painter.drawLine(r.left, y, r.right - 1, y);
        }
    }
}

void drawScrollGuides(QImage& image, const BandGeometry& area, const TextGrid& grid) {
    QPainter painter(&image);
    drawRectOutline(painter, false, area.band.left, area.band.top, area.band.right, area.band.bottom);
    drawRectOutline(painter, true, area.inner.left, area.inner.top, area.inner.right, area.inner.bottom);
    drawGridLines(painter, grid);
}

std::u16string winnerNumberPrefix(int number, int quota) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "[%.*d] ", digitCount(quota), number);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::array<int, kMaxShown> winnerNumbers(const DrawProgress& progress) {
    std::array<int, kMaxShown> numbers{};
    const int shown = clampedShown(progress);
    int drawn = 0;
    for (int i = 0; i < shown; ++i)
        if (!progress.slotForfeited[std::size_t(i)])
            ++drawn;
    int next = progress.drawnCount - drawn;
    for (int i = 0; i < shown; ++i)
        if (!progress.slotForfeited[std::size_t(i)])
            numbers[std::size_t(i)] = ++next;
    return numbers;
}

std::u16string scrollFaceName(const FontStyle& scrollFont, bool spaceAligned) {
    const std::u16string_view face = fieldText(scrollFont.faceName);
    if (spaceAligned && !QFontDatabase::hasFamily(QString::fromUtf16(face.data(), qsizetype(face.size()))))
        return u"新宋体";
    return std::u16string(face);
}

void drawTextScrollArea(TextCanvas canvas, const ScreenFont& font, const BandGeometry& area,
                        const DrawProgress& progress, const PrizeItem& prize,
                        const InterfaceSettings& settings, bool showGuides) {
    const int shown = clampedShown(progress);
    const TextGrid grid = layoutTextGrid(area.inner, prize.perLine, shown);
    if (showGuides)
        drawScrollGuides(canvas.image, area, grid);

    const bool numbered = progress.state == DrawState::Stopped && settings.showWinnerNumbers;
    const std::array<int, kMaxShown> numbers =
        numbered ? winnerNumbers(progress) : std::array<int, kMaxShown>{};
    const DigitHiding hiding{settings.hideDigits != 0, settings.hideFrom, settings.hideTo};
    const TextEffect effect = textEffectOf(settings.scrollFont.effect);
    std::u16string text;
    for (int i = 0; i < shown; ++i) {
        if (progress.slotForfeited[std::size_t(i)])
            continue;
        text.clear();
        if (numbered)
            text = winnerNumberPrefix(numbers[std::size_t(i)], prize.quota);
        const int prefixLength = int(text.size());
        text += progress.shownEntrants[std::size_t(i)].text();
        drawTextInRect(canvas, text, hiding, prefixLength, font, settings.scrollFont.textColor, effect,
                       settings.scrollFont.effectColor, grid.slotRect(i), AlignCenter, AlignCenter);
    }
}

} // namespace kelvora
