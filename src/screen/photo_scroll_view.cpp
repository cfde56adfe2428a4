#include "screen/photo_scroll_view.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <string>

#include "screen/text_scroll_area.h"
#include "settings/picture_name_list.h"

namespace kelvora {

namespace {

// Photos keep a fortieth of their cell clear on each side, half the margin of names.
constexpr double kPhotoInset = 0.025;

} // namespace

PhotoScrollView::PhotoScrollView() = default;

void PhotoScrollView::setDecodeBudget(std::chrono::nanoseconds budget, Clock clock) {
    m_budget = budget;
    m_clock = std::move(clock);
}

void PhotoScrollView::setWarming(bool on) {
    m_warming = on;
    if (!on) {
        m_warmer.stop();
        m_warmKey.reset();
    }
}

void PhotoScrollView::dropFonts() {
    m_warmer.stop();
    m_warmKey.reset();
    m_font.reset();
    m_tiles.clear();
}

void PhotoScrollView::makeFont(const ScreenInputs& inputs, const PrizeItem& prize, int logicalDpiY) {
    const InterfaceSettings& settings = *inputs.interface;
    // The face as configured: captions are file names, never space-aligned columns.
    m_font.emplace(createBandFont(fieldText(settings.scrollFont.faceName), settings.scrollFont,
                                  prize.fontSize, false, logicalDpiY));
    m_lineHeight = m_font->metrics.boundingRect(QStringLiteral(u"行高Mg")).height();
}

void PhotoScrollView::prepare(const ScreenInputs& inputs, const BandGeometry& area, int logicalDpiY) {
    const PrizeItem* prize = inputs.interface && inputs.paths && chooseView(inputs) == ViewKind::PhotoScroll
                                 ? inputs.run->currentPrize()
                                 : nullptr;
    if (!prize) {
        m_warmer.stop();
        m_warmKey.reset();
        return;
    }
    if (!m_font)
        makeFont(inputs, *prize, logicalDpiY);
    m_warmKey.reset(); // over again, for the pool as it is now
    warmFor(inputs, area);
}

void PhotoScrollView::warmFor(const ScreenInputs& inputs, const BandGeometry& area) {
    const DrawRun& run = *inputs.run;
    const DrawProgress& progress = run.progress();
    const PrizeItem* prize = run.currentPrize();
    if (!prize || !inputs.paths || !m_warming)
        return;
    // A scrolling press has its size; otherwise the next press is sized as the engine will size it.
    const bool scrolling = progress.state == DrawState::Scrolling;
    const int shown = scrolling ? progress.shownCount
                                : std::clamp(std::min({prize->perDraw, prize->quota - progress.drawnCount,
                                                       int(progress.pool.size())}),
                                             0, kMaxShown);
    if (shown <= 0)
        return;
    const InterfaceSettings& settings = *inputs.interface;
    const TextGrid grid = layoutScrollGrid(area.inner, prize->perLine, shown, kPhotoInset);
    const QSize size = photoTileSize(grid, shown, photoCaptionOf(settings.photoCaption), m_lineHeight);
    const WarmKey key{size.width(), size.height(), photoCropOf(settings.photoCrop)};
    if (m_warmKey == key)
        return;
    m_warmKey = key;
    const EntrantList& pool = scrolling && !run.scrollDeck().empty() ? run.scrollDeck() : progress.pool;
    m_warmer.start(PhotoWarmer::Job{*inputs.paths, pool, key.width, key.height, key.crop});
}

const PhotoScrollView::NameSet& PhotoScrollView::deckNames(const DrawRun& run) {
    if (m_deckRun != &run || m_deckGeneration != run.deckGeneration()) {
        m_deckNames.clear();
        m_deckNames.reserve(run.scrollDeck().size());
        for (const Entrant& entrant : run.scrollDeck())
            m_deckNames.emplace(entrant.text());
        m_deckRun = &run;
        m_deckGeneration = run.deckGeneration();
    }
    return m_deckNames;
}

void PhotoScrollView::paint(const ViewFrame& frame) {
    const ScreenInputs& inputs = frame.inputs;
    const PrizeItem* prize = inputs.run->currentPrize();
    const DrawProgress& progress = inputs.run->progress();
    const InterfaceSettings& settings = *inputs.interface;
    const int shown = std::clamp(progress.shownCount, 0, kMaxShown);
    const TextGrid grid = layoutScrollGrid(frame.area.inner, prize ? prize->perLine : 1, shown, kPhotoInset);
    if (inputs.interfaceDialogOpen)
        drawScrollGuides(frame.canvas.image, frame.area, grid);
    m_lastFrame.assign(std::size_t(shown), DrawnSlot{});
    if (!prize)
        return;
    // A font made here is the first sight of this prize (a draw resumed at start-up, new settings).
    if (!m_font)
        makeFont(inputs, *prize, frame.logicalDpiY);
    warmFor(inputs, frame.area);
    if (shown == 0)
        return;
    const PhotoCaptionMode caption = photoCaptionOf(settings.photoCaption);
    const PhotoCropMode crop = photoCropOf(settings.photoCrop);
    const QSize tileSize = photoTileSize(grid, shown, caption, m_lineHeight);

    const bool scrolling = progress.state == DrawState::Scrolling;
    const auto now = [this] {
        return m_clock ? m_clock() : std::chrono::steady_clock::now().time_since_epoch();
    };
    const std::chrono::nanoseconds begun = now();
    // Stand-ins are taken from a place that moves from frame to frame, the slots of a frame side by side.
    const std::size_t standInBase =
        scrolling ? std::size_t((m_scrollFrames++ * 0x9E3779B97F4A7C15ull) >> 40) : 0;

    // The slots' own tiles first: kept ones, and made ones while the budget lasts; then stand-ins for the
    // slots left, none showing a face the frame shows already.
    std::array<std::optional<PhotoTile>, kMaxShown> tiles;
    std::array<PixelRect, kMaxShown> photos{};
    std::array<bool, kMaxShown> waiting{};
    for (int i = 0; i < shown; ++i) {
        if (progress.slotForfeited[std::size_t(i)])
            continue;
        const Entrant& own = progress.shownEntrants[std::size_t(i)];
        m_lastFrame[std::size_t(i)].caption = own.text();
        photos[std::size_t(i)] = photoRectInCell(grid.slotRect(i), caption, m_lineHeight);
        if (photos[std::size_t(i)].isEmpty() || tileSize.isEmpty() || !inputs.paths)
            continue;
        const std::optional<std::filesystem::path> file = picturePath(*inputs.paths, own);
        if (!file)
            continue;
        std::optional<PhotoTile>& tile = tiles[std::size_t(i)];
        tile = m_tiles.find(*file, tileSize.width(), tileSize.height(), crop);
        if (tile)
            continue;
        if (!scrolling || now() - begun < m_budget)
            tile = m_tiles.tile(*file, own.text(), tileSize.width(), tileSize.height(), crop);
        else
            waiting[std::size_t(i)] = true;
    }
    if (scrolling) {
        // Neither a face the frame shows already nor one the press cannot draw (an earlier winner).
        const NameSet& deck = deckNames(*inputs.run);
        const auto passOver = [this, &deck](std::u16string_view name) {
            return !deck.contains(name) ||
                   std::any_of(m_lastFrame.begin(), m_lastFrame.end(),
                               [name](const DrawnSlot& drawn) { return drawn.photo == name; });
        };
        for (int i = 0; i < shown; ++i) {
            DrawnSlot& drawn = m_lastFrame[std::size_t(i)];
            if (!waiting[std::size_t(i)] && tiles[std::size_t(i)] && !tiles[std::size_t(i)]->image.isNull())
                drawn.photo = drawn.caption;
        }
        for (int i = 0; i < shown; ++i) {
            if (!waiting[std::size_t(i)])
                continue;
            std::optional<PhotoTileCache::Kept> kept = m_tiles.pick(
                standInBase + std::size_t(i), tileSize.width(), tileSize.height(), crop, passOver);
            if (!kept)
                continue; // nothing kept yet: the slot shows its caption alone
            DrawnSlot& drawn = m_lastFrame[std::size_t(i)];
            tiles[std::size_t(i)] = std::move(kept->tile);
            drawn.caption = std::move(kept->name);
            drawn.photo = drawn.caption;
            drawn.standIn = true;
        }
    }

    // Photos first, captions after: a caption stays within its own cell, so the order between cells does
    // not show, and the text primitive gets the frame to itself.
    std::array<PixelRect, kMaxShown> shapes = photos;
    {
        QPainter painter(&frame.canvas.image);
        for (int i = 0; i < shown; ++i) {
            const std::optional<PhotoTile>& tile = tiles[std::size_t(i)];
            if (!tile || tile->image.isNull())
                continue; // no photo: the caption keeps to the photo rectangle
            DrawnSlot& drawn = m_lastFrame[std::size_t(i)];
            drawn.photo = drawn.caption;
            const QPoint at = tileOrigin(photos[std::size_t(i)], tileSize);
            PixelRect& shape = shapes[std::size_t(i)];
            shape = PixelRect{at.x() + tile->shape.left, at.y() + tile->shape.top, at.x() + tile->shape.right,
                              at.y() + tile->shape.bottom};
            painter.drawImage(shape.left, shape.top, tile->image);
        }
    }
    if (caption == PhotoCaptionMode::Hidden) {
        for (DrawnSlot& drawn : m_lastFrame)
            drawn.caption.clear();
        return;
    }

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
        text += captionName(m_lastFrame[std::size_t(i)].caption);
        const CaptionPlace place =
            captionPlace(grid.slotRect(i), shapes[std::size_t(i)], caption, m_lineHeight);
        drawTextInRect(frame.canvas, text, hiding, prefixLength, *m_font, settings.scrollFont.textColor,
                       effect, settings.scrollFont.effectColor, place.rect, AlignCenter, place.vAlign);
    }
}

} // namespace kelvora
