#include "screen/photo_scroll_view.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <string>

#include "screen/text_scroll_area.h"
#include "settings/picture_name_list.h"

namespace kelvora {

void PhotoScrollView::dropFonts() {
    m_font.reset();
    m_tiles.clear();
}

void PhotoScrollView::paint(const ViewFrame& frame) {
    const ScreenInputs& inputs = frame.inputs;
    const PrizeItem* prize = inputs.run->currentPrize();
    const DrawProgress& progress = inputs.run->progress();
    const InterfaceSettings& settings = *inputs.interface;
    const int shown = std::clamp(progress.shownCount, 0, kMaxShown);
    // Photos keep a fortieth of their cell clear on each side, half the margin of names.
    const TextGrid grid = layoutScrollGrid(frame.area.inner, prize ? prize->perLine : 1, shown, 0.025);
    if (inputs.interfaceDialogOpen)
        drawScrollGuides(frame.canvas.image, frame.area, grid);
    if (!prize || shown == 0)
        return;
    if (!m_font) {
        // The face as configured: captions are file names, never space-aligned columns.
        m_font.emplace(createBandFont(fieldText(settings.scrollFont.faceName), settings.scrollFont,
                                      prize->fontSize, false, frame.logicalDpiY));
        m_lineHeight = m_font->metrics.boundingRect(QStringLiteral(u"行高Mg")).height();
    }
    const PhotoCaptionMode caption = photoCaptionOf(settings.photoCaption);
    const PhotoCropMode crop = photoCropOf(settings.photoCrop);

    // Photos first, captions after: a caption stays within its own cell, so the order between cells does
    // not show, and the text primitive gets the frame to itself.
    std::array<PixelRect, kMaxShown> shapes{};
    {
        QPainter painter(&frame.canvas.image);
        for (int i = 0; i < shown; ++i) {
            if (progress.slotForfeited[std::size_t(i)])
                continue;
            const PixelRect photo = photoRectInCell(grid.slotRect(i), caption, m_lineHeight);
            PixelRect& shape = shapes[std::size_t(i)];
            shape = photo;
            if (photo.isEmpty() || !inputs.paths)
                continue;
            const std::optional<std::filesystem::path> file =
                picturePath(*inputs.paths, progress.shownEntrants[std::size_t(i)]);
            if (!file)
                continue;
            const PhotoTile tile = m_tiles.tile(*file, photo.width(), photo.height(), crop);
            shape = PixelRect{photo.left + tile.shape.left, photo.top + tile.shape.top,
                              photo.left + tile.shape.right, photo.top + tile.shape.bottom};
            if (!tile.image.isNull())
                painter.drawImage(shape.left, shape.top, tile.image);
        }
    }
    if (caption == PhotoCaptionMode::Hidden)
        return;

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
            text = winnerNumberPrefix(numbers[std::size_t(i)], prize->quota);
        const int prefixLength = int(text.size());
        text += captionName(progress.shownEntrants[std::size_t(i)].text());
        const CaptionPlace place =
            captionPlace(grid.slotRect(i), shapes[std::size_t(i)], caption, m_lineHeight);
        drawTextInRect(frame.canvas, text, hiding, prefixLength, *m_font, settings.scrollFont.textColor,
                       effect, settings.scrollFont.effectColor, place.rect, AlignCenter, place.vAlign);
    }
}

} // namespace kelvora
