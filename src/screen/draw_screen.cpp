#include "screen/draw_screen.h"

#include <QPainter>

#include <cstring>
#include <optional>

#include "draw/draw_progress.h"
#include "platform/text.h"
#include "records/draw_mode.h"
#include "records/file_system.h"
#include "screen/full_list_view.h"
#include "screen/glyph_cache.h"
#include "screen/photo_scroll_view.h"
#include "screen/replay_view.h"
#include "screen/screen_paint.h"
#include "screen/text_scroll_view.h"

namespace kelvora {

namespace {

constexpr QRgb kDefaultBackground = qRgb(230, 0, 0);
// What shows under the transparent parts of a background picture: the colour of a freshly made buffer.
constexpr QRgb kUnderBackground = qRgb(0, 0, 0);

QImage makeBuffer(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(kUnderBackground);
    return image;
}

// The picture's file under a data folder, or the reason it cannot be there.
bool loadStoredPicture(const std::filesystem::path& folder, std::u16string_view name, int maxSide,
                       std::u16string_view failurePrefix, PictureFile& picture, std::u16string& warning) {
    warning.clear();
    const std::optional<std::filesystem::path> path = joinChecked(folder, name);
    if (!path) {
        // A stored name that would lead out of the folder names no picture of ours.
        picture.release();
        warning = std::u16string(failurePrefix) + pathText(folder) + u"/" + std::u16string(name) + u"\n\n" +
                  std::u16string(kPictureMissingText);
        return false;
    }
    if (!picture.loadPicture(*path)) {
        warning = std::u16string(failurePrefix) + pathText(*path) + u"\n\n" + picture.errorText();
        return false;
    }
    if (picture.width() > maxSide || picture.height() > maxSide)
        picture.shrinkToFit(maxSide);
    return true;
}

} // namespace

struct DrawScreen::Impl {
    explicit Impl(const ScreenInputs& in) : inputs(in) {}

    ScreenInputs inputs;
    int width = 0;
    int height = 0;
    int logicalDpiY = 96;
    QImage background;
    QImage frame;
    PictureFile backgroundPicture;
    PictureFile prizePicture;
    std::optional<ScreenFont> mainTitleFont;
    std::optional<ScreenFont> subtitleFont;
    std::optional<ScreenFont> infoBarFont;
    GlyphCache glyphs;
    // After the cache: the text view's worker stops before the cache goes.
    IdleView idleView;
    TextScrollView textView{glyphs};
    PhotoScrollView photoView;
    ReplayView replayView;
    FullListView fullListView;

    ScreenView& view(ViewKind kind);

    const InterfaceSettings& settings() const { return *inputs.interface; }
    bool drawStarted() const { return inputs.run && inputs.run->drawStarted(); }
    bool photoMode() const { return inputs.drawMode && !isTextMode(*inputs.drawMode); }
    bool bandGuides() const {
        return inputs.interfaceDialogOpen || (inputs.playbackDialogOpen && inputs.replayViewActive) ||
               (inputs.fullListDialogOpen && inputs.fullListViewActive);
    }

    BandGeometry band(Band which) const { return computeBandGeometry(which, settings(), width, height); }
    PixelRect prizeArea() const;
    std::u16string infoBarText() const;
    std::u16string showInfoBarText() const;

    void rebuildBackground();
    void composeFrame();
    void drawTextBand(Band which, const FontStyle& style, std::optional<ScreenFont>& font,
                      std::u16string_view text);
    void drawScrollArea();
};

ScreenView& DrawScreen::Impl::view(ViewKind kind) {
    switch (kind) {
    case ViewKind::TextScroll:
        return textView;
    case ViewKind::PhotoScroll:
        return photoView;
    case ViewKind::Replay:
        return replayView;
    case ViewKind::FullList:
        return fullListView;
    case ViewKind::Idle:
        break;
    }
    return idleView;
}

PixelRect DrawScreen::Impl::prizeArea() const {
    if (!inputs.interface || inputs.replayViewActive || inputs.fullListViewActive || !drawStarted() ||
        !prizePicture.isValid())
        return {};
    return prizePictureRect(settings(), width, height, prizePicture.width(), prizePicture.height());
}

std::u16string DrawScreen::Impl::infoBarText() const {
    // The audience sees that what is drawn now does not count.
    if (!inputs.rehearsal)
        return showInfoBarText();
    std::u16string text = showInfoBarText();
    text.insert(0, text.empty() ? std::u16string_view(u"彩排") : std::u16string_view(u"【彩排】"));
    return text;
}

std::u16string DrawScreen::Impl::showInfoBarText() const {
    if (inputs.fullListViewActive) {
        const EntrantList* list = photoMode() ? inputs.pictureList : inputs.textList;
        return u"展示总名单（" + decimalText(list ? static_cast<long long>(list->size()) : 0) + u"）";
    }
    const DrawRun* run = inputs.run;
    if (inputs.replayViewActive) {
        if (run && !run->replayPrize().empty())
            return std::u16string(run->replayPrize()) + u"（" +
                   decimalText(winnerCount(run->progress().winners, run->replayPrize())) + u"）";
        return u"结果回放";
    }
    if (!run || !run->drawStarted() || !inputs.interface)
        return {};
    const PrizeItem* prize = run->currentPrize();
    if (!prize)
        return {};
    const InterfaceSettings& s = settings();
    std::u16string text(prize->nameText());
    if (s.infoBarShowProgress) {
        const int drawn = run->progress().state == DrawState::Ready ? 0 : run->progress().drawnCount;
        text += u"（" + decimalText(drawn) + u"/" + decimalText(prize->quota) + u"）";
    }
    const std::u16string_view prizeText = fieldText(prize->prizeText);
    if (s.infoBarShowPrizeText && !prizeText.empty())
        text += u", " + std::u16string(prizeText);
    if (s.infoBarShowPrompt)
        text += run->promptText();
    return text;
}

void DrawScreen::Impl::rebuildBackground() {
    if (background.isNull() || !inputs.interface)
        return;
    background.fill(kUnderBackground);
    QPainter painter(&background);
    if (backgroundPicture.isValid())
        backgroundPicture.drawInto(painter, 0, 0, width, height); // stretched: the aspect is not kept
    else
        painter.fillRect(0, 0, width, height, QColor::fromRgb(kDefaultBackground));
    const PixelRect prize = prizeArea();
    if (!prize.isEmpty())
        prizePicture.drawInto(painter, prize.left, prize.top, prize.right, prize.bottom);
}

void DrawScreen::Impl::drawTextBand(Band which, const FontStyle& style, std::optional<ScreenFont>& font,
                                    std::u16string_view text) {
    const BandGeometry geometry = band(which);
    if (bandGuides()) {
        QPainter painter(&frame);
        drawRectOutline(painter, false, 0, geometry.band.top, width, geometry.band.bottom);
        drawRectOutline(painter, true, geometry.inner.left, geometry.inner.top, geometry.inner.right,
                        geometry.inner.bottom);
    }
    if (text.empty() || geometry.inner.isEmpty())
        return;
    if (!font)
        font.emplace(createBandFont(style, style.sizePt, true, logicalDpiY));
    drawTextInRect({frame, glyphs}, text, {}, 0, *font, style.textColor, textEffectOf(style.effect),
                   style.effectColor, geometry.inner, AlignCenter, AlignCenter);
}

void DrawScreen::Impl::drawScrollArea() {
    const BandGeometry area = band(Band::ScrollArea);
    view(chooseView(inputs)).paint(ViewFrame{{frame, glyphs}, area, inputs, logicalDpiY});
}

void DrawScreen::Impl::composeFrame() {
    if (frame.isNull() || !inputs.interface)
        return;
    // Both buffers have one size and format, so the layer is a straight copy; bits() also detaches a frame
    // the caller may still hold a copy of.
    std::memcpy(frame.bits(), background.constBits(), std::size_t(background.sizeInBytes()));
    const InterfaceSettings& s = settings();
    drawTextBand(Band::MainTitle, s.mainTitleFont, mainTitleFont, fieldText(s.mainTitle));
    drawTextBand(Band::Subtitle, s.subtitleFont, subtitleFont, fieldText(s.subtitle));
    drawTextBand(Band::InfoBar, s.infoBarFont, infoBarFont, infoBarText());
    drawScrollArea();
}

DrawScreen::DrawScreen(const ScreenInputs& inputs) : m_impl(std::make_unique<Impl>(inputs)) {}

DrawScreen::~DrawScreen() = default;

ScreenInputs& DrawScreen::inputs() {
    return m_impl->inputs;
}

void DrawScreen::resize(int width, int height, int logicalDpiY) {
    Impl& d = *m_impl;
    if (logicalDpiY != d.logicalDpiY) {
        d.logicalDpiY = logicalDpiY;
        dropFonts();
    }
    if (width <= 0 || height <= 0) {
        d.width = d.height = 0;
        d.background = QImage();
        d.frame = QImage();
        return;
    }
    d.width = width;
    d.height = height;
    d.background = makeBuffer(width, height);
    d.frame = makeBuffer(width, height);
    d.rebuildBackground();
}

int DrawScreen::width() const {
    return m_impl->width;
}

int DrawScreen::height() const {
    return m_impl->height;
}

int DrawScreen::logicalDpiY() const {
    return m_impl->logicalDpiY;
}

PictureFile& DrawScreen::backgroundPicture() {
    return m_impl->backgroundPicture;
}

PictureFile& DrawScreen::prizePicture() {
    return m_impl->prizePicture;
}

void DrawScreen::rebuildBackground() {
    m_impl->rebuildBackground();
}

const QImage& DrawScreen::composeFrame() {
    m_impl->composeFrame();
    return m_impl->frame;
}

const QImage& DrawScreen::frame() const {
    return m_impl->frame;
}

void DrawScreen::dropFonts() {
    Impl& d = *m_impl;
    d.mainTitleFont.reset();
    d.subtitleFont.reset();
    d.infoBarFont.reset();
    for (const ViewKind kind :
         {ViewKind::Idle, ViewKind::TextScroll, ViewKind::PhotoScroll, ViewKind::Replay, ViewKind::FullList})
        d.view(kind).dropFonts();
    d.glyphs.clear();
}

void DrawScreen::dropScrollFont() {
    // The glyphs of the old size age out of the cache by themselves. The scroll font changes with the
    // prize, which is the moment to start on the new prize's glyphs.
    m_impl->textView.dropFonts();
    m_impl->photoView.dropFonts();
    prepareGlyphs();
    preparePhotos();
}

void DrawScreen::prepareGlyphs() {
    m_impl->textView.prepare(m_impl->inputs, m_impl->logicalDpiY);
}

bool DrawScreen::glyphsReady() const {
    return m_impl->textView.warmer().finished();
}

void DrawScreen::waitForGlyphs() {
    m_impl->textView.warmer().wait();
}

void DrawScreen::preparePhotos() {
    Impl& d = *m_impl;
    if (!d.inputs.interface)
        return;
    d.photoView.prepare(d.inputs, d.band(Band::ScrollArea), d.logicalDpiY);
}

bool DrawScreen::photosReady() const {
    return m_impl->photoView.warmer().finished();
}

void DrawScreen::waitForPhotos() {
    m_impl->photoView.warmer().wait();
}

PhotoScrollView& DrawScreen::photoView() {
    return m_impl->photoView;
}

ReplayView& DrawScreen::replayView() {
    return m_impl->replayView;
}

FullListView& DrawScreen::fullListView() {
    return m_impl->fullListView;
}

BandGeometry DrawScreen::computeBand(Band band) const {
    if (!m_impl->inputs.interface)
        return {};
    return m_impl->band(band);
}

std::u16string DrawScreen::infoBarText() const {
    return m_impl->infoBarText();
}

const QImage& DrawScreen::backgroundLayer() const {
    return m_impl->background;
}

PixelRect DrawScreen::prizePictureArea() const {
    return m_impl->prizeArea();
}

std::size_t DrawScreen::glyphCacheBytes() const {
    return m_impl->glyphs.bytes();
}

std::size_t DrawScreen::photoTileBytes() const {
    return m_impl->photoView.tiles().bytes();
}

std::size_t DrawScreen::photoTilesMade() const {
    return m_impl->photoView.tiles().made();
}

bool loadBackgroundPicture(const DataPaths& paths, const InterfaceSettings& settings, PictureFile& picture,
                           std::u16string& warning) {
    const std::u16string_view name = fieldText(settings.backgroundImage);
    if (name.empty()) {
        picture.release();
        warning.clear();
        return true;
    }
    return loadStoredPicture(paths.interfaceFolder, name, kBackgroundMaxSide, u"背景图加载失败:\n", picture,
                             warning);
}

bool loadPrizePictureFor(const DataPaths& paths, const PrizeItem& prize, PictureFile& picture,
                         std::u16string& warning) {
    const std::u16string_view name = fieldText(prize.imageFile);
    if (name.empty()) {
        picture.release();
        warning.clear();
        return true;
    }
    return loadStoredPicture(paths.prizeFolder, name, kPrizePictureMaxSide, u"奖品图加载失败:\n", picture,
                             warning);
}

} // namespace kelvora
