#include "screen/roll_view.h"

#include <QPainter>
#include <QString>

#include <algorithm>

#include "records/draw_mode.h"
#include "records/file_system.h"
#include "screen/full_list_view.h"
#include "screen/replay_view.h"
#include "screen/text_scroll_area.h"

namespace kelvora {

namespace {

// Longer stalls (the window hidden, a modal dialog) resume the roll where it stood instead of jumping.
constexpr std::chrono::nanoseconds kLongestStep = std::chrono::milliseconds(100);
constexpr std::chrono::nanoseconds kStepPeriod = std::chrono::milliseconds(10);

PixelRect intersected(const PixelRect& a, const PixelRect& b) {
    return PixelRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
}

// A line keeps a twentieth of its cell clear on either side, as the names of the scroll area do.
PixelRect lineClip(const RollItem& item) {
    const int side = int(0.05 * (item.right - item.left));
    return PixelRect{item.left + side, item.top, item.right - side, item.bottom};
}

int lineMargin(const ScreenFont& font) {
    return std::max(2, font.height / 4);
}

bool textModeOf(const ScreenInputs& inputs) {
    return !inputs.drawMode || isTextMode(*inputs.drawMode);
}

} // namespace

std::vector<RollItem> ReplayView::layout(const ScreenInputs& inputs, const RollStyle& style,
                                         const RollMetrics& metrics) const {
    if (!inputs.run)
        return {};
    return layoutReplay(inputs.run->progress().winners, inputs.run->replayPrize(), style.reverseOrder,
                        metrics);
}

std::vector<RollItem> FullListView::layout(const ScreenInputs& inputs, const RollStyle&,
                                           const RollMetrics& metrics) const {
    const EntrantList* list = textModeOf(inputs) ? inputs.textList : inputs.pictureList;
    if (!list)
        return {};
    return layoutFullList(*list, metrics);
}

bool RollView::start(const ScreenInputs& inputs, const RollStyle& style, const RollPlace& place) {
    stop();
    if (!inputs.interface)
        return false;
    const InterfaceSettings& settings = *inputs.interface;
    m_style = style;
    m_style.namesPerRow = std::clamp(style.namesPerRow, 1, 5);
    m_photoMode = !textModeOf(inputs);
    m_photoTiles = m_photoMode && !style.namesOnly;
    m_aspectRatio = place.aspectRatio > 0 ? place.aspectRatio : 1.0;
    m_band = place.band;
    m_area = rollArea(place.band, style.margins, place.windowWidth);

    // The name font keeps the space alignment of a text list; headings are drawn in the face as chosen.
    const bool spaceAligned = !m_photoMode && inputs.spaceAligned && *inputs.spaceAligned != 0;
    m_nameFont.emplace(createBandFont(scrollFaceName(style.nameFont, spaceAligned), style.nameFont,
                                      style.nameFont.sizePt, false, place.logicalDpiY));
    const int lineH = m_nameFont->height;
    double headH = 0;
    if (style.headingFont) {
        m_headingFont.emplace(
            createBandFont(*style.headingFont, style.headingFont->sizePt, false, place.logicalDpiY));
        headH = 2.0 * m_headingFont->height;
    }

    RollMetrics metrics;
    metrics.area = m_area;
    metrics.namesPerRow = m_style.namesPerRow;
    metrics.headH = headH;
    metrics.numbered = settings.showWinnerNumbers != 0;
    metrics.photoTiles = m_photoTiles;
    metrics.rowH = rollRowHeight(lineH, metrics.cellW(), m_photoTiles, m_aspectRatio,
                                 photoCaptionOf(settings.photoCaption) == PhotoCaptionMode::OutsidePicture);
    m_items = layout(inputs, m_style, metrics);
    if (m_items.empty()) {
        stop();
        return false;
    }
    m_active = true;
    m_lastFrame = now();
    return true;
}

void RollView::stop() {
    m_active = false;
    m_paused = false;
    m_offset = 0;
    m_first = 0;
    m_items.clear();
    m_items.shrink_to_fit();
    m_pictures.clear();
    m_lines.clear();
    m_nameFont.reset();
    m_headingFont.reset();
    m_lastDrawn.clear();
}

double RollView::step() const {
    return double(m_style.speed) / 100.0 * double(m_area.bottom - m_area.top) * 0.01;
}

std::chrono::nanoseconds RollView::now() const {
    return m_clock ? m_clock() : std::chrono::steady_clock::now().time_since_epoch();
}

void RollView::paint(const ViewFrame& frame) {
    if (!m_active || m_items.empty() || !m_nameFont)
        return;
    if (guidesShown(frame.inputs))
        drawGuides(frame);
    m_lastDrawn.clear();

    const int shift = m_area.bottom - int(m_offset);
    bool leading = true; // the items walked so far have all left the top
    QPainter painter(&frame.canvas.image);
    std::size_t i = m_first;
    for (; i < m_items.size(); ++i) {
        const RollItem& item = m_items[i];
        const int top = item.top + shift;
        const int bottom = item.bottom + shift;
        if (top >= m_area.bottom)
            break;
        if (bottom < m_area.top) {
            if (leading)
                m_first = i + 1;
            continue;
        }
        leading = false;
        m_lastDrawn.push_back(i);
        if (m_photoTiles && !item.isHeading) {
            // The tile and its caption write the frame themselves.
            painter.end();
            drawTile(frame, item, top, bottom);
            painter.begin(&frame.canvas.image);
        } else {
            drawText(frame, painter, i, top);
        }
    }
    painter.end();
    std::erase_if(m_lines, [this](const auto& line) { return line.first < m_first; });
    if (m_photoTiles)
        prepareNextRow(frame, i, shift);

    const std::chrono::nanoseconds at = now();
    const std::chrono::nanoseconds elapsed =
        std::clamp(at - m_lastFrame, std::chrono::nanoseconds(0), kLongestStep);
    m_lastFrame = at;
    if (!m_paused)
        m_offset += step() * (double(elapsed.count()) / double(kStepPeriod.count()));
    if (m_first >= m_items.size()) {
        // Everything has left the top: the first line comes in again from below.
        m_first = 0;
        m_offset = 0;
        m_lines.clear();
    }
}

void RollView::drawGuides(const ViewFrame& frame) const {
    QPainter painter(&frame.canvas.image);
    drawRectOutline(painter, false, 0, m_band.top, frame.canvas.image.width(), m_band.bottom);
    drawRectOutline(painter, true, m_area.left, m_area.top, m_area.right, m_area.bottom);
    painter.setPen(gridPen());
    const double cellW = double(m_area.right - m_area.left) / double(m_style.namesPerRow);
    for (int c = 1; c < m_style.namesPerRow; ++c) {
        const int x = int(double(m_area.left) + double(c) * cellW);
        painter.drawLine(x, m_area.top, x, m_area.bottom - 1);
    }
}

RollView::Line RollView::makeLine(const ViewFrame& frame, const RollItem& item) const {
    const ScreenFont& font = item.isHeading && m_headingFont ? *m_headingFont : *m_nameFont;
    const FontStyle& style = item.isHeading && m_style.headingFont ? *m_style.headingFont : m_style.nameFont;
    std::u16string text = item.prefix;
    text += m_photoMode && !item.isHeading ? captionName(item.text) : std::u16string_view(item.text);
    const InterfaceSettings& settings = *frame.inputs.interface;
    const DigitHiding hiding{!item.isHeading && settings.hideDigits != 0, settings.hideFrom, settings.hideTo};
    const int hideOffset = int(item.prefix.size());
    const std::u16string shown = hideDigitsText(text, hiding, hideOffset);
    const int textWidth =
        font.metrics.horizontalAdvance(QString::fromUtf16(shown.data(), qsizetype(shown.size())));
    const int textX = int((double(item.right - item.left) - double(textWidth)) * 0.5 + double(item.left));
    // Room around the text for the effect, the synthesized bold and glyphs that reach past their advance;
    // across, the line ends where the cell's clip does, so a name far wider than its cell costs no more than
    // the cell.
    const int margin = lineMargin(font);
    const PixelRect clip = lineClip(item);
    Line line;
    line.x = std::max(textX - margin, clip.left);
    const int right = std::min(textX + textWidth + margin, clip.right);
    if (text.empty() || right <= line.x)
        return line;
    QImage image(right - line.x, font.height + 2 * margin, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return line;
    image.fill(Qt::transparent);
    const int left = textX - line.x;
    drawTextClipped(TextCanvas{image, frame.canvas.glyphs}, text, hiding, hideOffset, font, style.textColor,
                    textEffectOf(style.effect), style.effectColor,
                    PixelRect{left, margin, left + std::max(textWidth, 1), margin + font.height},
                    PixelRect{0, 0, image.width(), image.height()}, AlignStart, AlignStart);
    line.image = std::move(image);
    return line;
}

void RollView::drawText(const ViewFrame& frame, QPainter& painter, std::size_t index, int top) {
    const RollItem& item = m_items[index];
    auto found = m_lines.find(index);
    if (found == m_lines.end())
        found = m_lines.emplace(index, makeLine(frame, item)).first;
    const Line& line = found->second;
    if (line.image.isNull())
        return;
    // Cut at the cell's clip across (the line ends there already) and at the roll's top and bottom.
    const int margin = lineMargin(item.isHeading && m_headingFont ? *m_headingFont : *m_nameFont);
    const PixelRect clip = lineClip(item);
    const PixelRect at{line.x, top - margin, line.x + line.image.width(), top - margin + line.image.height()};
    const PixelRect shown =
        intersected(intersected(at, PixelRect{clip.left, m_area.top, clip.right, m_area.bottom}),
                    PixelRect{0, 0, frame.canvas.image.width(), frame.canvas.image.height()});
    if (shown.isEmpty())
        return;
    painter.drawImage(QPoint(shown.left, shown.top), line.image,
                      QRect(shown.left - at.left, shown.top - at.top, shown.width(), shown.height()));
}

QSize RollView::lineSize(std::size_t index) const {
    const auto found = m_lines.find(index);
    return found == m_lines.end() ? QSize() : found->second.image.size();
}

const PhotoTile& RollView::picture(const ScreenInputs& inputs, std::u16string_view name, int width,
                                   int height, PhotoCropMode crop) {
    const auto found = std::find_if(m_pictures.begin(), m_pictures.end(),
                                    [name](const Picture& picture) { return picture.name == name; });
    if (found != m_pictures.end()) {
        m_pictures.splice(m_pictures.begin(), m_pictures, found);
        return m_pictures.front().tile;
    }
    // A photo that does not load is kept as such, so that it is not tried again on every frame.
    PhotoTile tile{QImage(), PixelRect{0, 0, width, height}};
    if (inputs.paths)
        if (const std::optional<std::filesystem::path> file = joinChecked(inputs.paths->pictureFolder, name))
            tile = makePhotoTile(*file, width, height, crop);
    m_pictures.push_front(Picture{std::u16string(name), std::move(tile)});
    if (m_pictures.size() > kRollPictureLimit)
        m_pictures.pop_back();
    return m_pictures.front().tile;
}

PixelRect RollView::tileBox(const RollItem& item, int top, int bottom, PhotoCaptionMode caption) const {
    const int w = item.right - item.left;
    const int h = bottom - top;
    const int tileW = std::min(int(double(w) / m_aspectRatio), h);
    PixelRect box{item.left + int(0.025 * w), top + int(0.038 * h), item.right - int(0.025 * w),
                  bottom - int(0.012 * h)};
    if (caption == PhotoCaptionMode::OutsidePicture) {
        box.top = top + int(0.038 * tileW);
        box.bottom = bottom - int(0.012 * tileW + double(h - tileW));
    }
    return box;
}

void RollView::prepareNextRow(const ViewFrame& frame, std::size_t next, int shift) {
    // The photos of the row about to come in are made one a frame while it is still below the area, so
    // that the frame it enters on does not decode a whole row at once. Only while the pictures kept can hold
    // the frame's and the next row's: making one ahead must never push out a photo on screen.
    if (m_lastDrawn.size() + std::size_t(m_style.namesPerRow) > kRollPictureLimit)
        return;
    const InterfaceSettings& settings = *frame.inputs.interface;
    const PhotoCaptionMode caption = photoCaptionOf(settings.photoCaption);
    for (std::size_t k = next; k < m_items.size() && k < next + std::size_t(m_style.namesPerRow) + 1; ++k) {
        const RollItem& item = m_items[k];
        if (item.isHeading)
            continue;
        const PixelRect box = tileBox(item, item.top + shift, item.bottom + shift, caption);
        if (box.isEmpty() || findPicture(item.text))
            continue;
        picture(frame.inputs, item.text, box.width(), box.height(), photoCropOf(settings.photoCrop));
        return;
    }
}

bool RollView::findPicture(std::u16string_view name) const {
    return std::any_of(m_pictures.begin(), m_pictures.end(),
                       [name](const Picture& picture) { return picture.name == name; });
}

void RollView::drawTile(const ViewFrame& frame, const RollItem& item, int top, int bottom) {
    const InterfaceSettings& settings = *frame.inputs.interface;
    const PhotoCaptionMode caption = photoCaptionOf(settings.photoCaption);
    const int w = item.right - item.left;
    const int h = bottom - top;
    const PixelRect box = tileBox(item, top, bottom, caption);
    if (!box.isEmpty()) {
        const PhotoTile& tile =
            picture(frame.inputs, item.text, box.width(), box.height(), photoCropOf(settings.photoCrop));
        if (!tile.image.isNull()) {
            // Centred across as fitted, standing on the box's bottom.
            QPainter painter(&frame.canvas.image);
            painter.setClipRect(m_area.left, m_area.top, m_area.width(), m_area.height());
            painter.drawImage(box.left + tile.shape.left, box.bottom - tile.image.height(), tile.image);
        }
    }
    if (caption == PhotoCaptionMode::Hidden)
        return;
    PixelRect rect = box;
    int vAlign = AlignEnd;
    if (caption == PhotoCaptionMode::OutsidePicture) {
        rect = PixelRect{box.left, top + std::min(h, int(double(w) / m_aspectRatio)), box.right, bottom};
        vAlign = AlignStart;
    } else {
        rect.bottom -= int(0.025 * box.width());
    }
    std::u16string text = item.prefix;
    text += captionName(item.text);
    const DigitHiding hiding{settings.hideDigits != 0, settings.hideFrom, settings.hideTo};
    const FontStyle& style = m_style.nameFont;
    const PixelRect clip = intersected(PixelRect{item.left, rect.top, item.right, rect.bottom}, m_area);
    drawTextClipped(frame.canvas, text, hiding, int(item.prefix.size()), *m_nameFont, style.textColor,
                    textEffectOf(style.effect), style.effectColor, rect, clip, AlignCenter, vAlign);
}

} // namespace kelvora
