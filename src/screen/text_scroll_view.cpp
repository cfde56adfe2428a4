#include "screen/text_scroll_view.h"

#include <string>
#include <vector>

#include "screen/text_scroll_area.h"

namespace kelvora {

void TextScrollView::makeFont(const ScreenInputs& inputs, const PrizeItem& prize, int logicalDpiY) {
    const InterfaceSettings& s = *inputs.interface;
    const bool spaceAligned = inputs.spaceAligned && *inputs.spaceAligned;
    m_font.emplace(createBandFont(scrollFaceName(s.scrollFont, spaceAligned), s.scrollFont, prize.fontSize,
                                  false, logicalDpiY));
}

void TextScrollView::prepare(const ScreenInputs& inputs, int logicalDpiY) {
    const PrizeItem* prize =
        inputs.interface && chooseView(inputs) == ViewKind::TextScroll ? inputs.run->currentPrize() : nullptr;
    if (!prize) {
        m_warmer.stop();
        return;
    }
    if (!m_font)
        makeFont(inputs, *prize, logicalDpiY);
    // The frames of a press deal from the pool as it is now; while they scroll no winner numbers are shown,
    // so each name is drawn as its hidden text alone.
    const InterfaceSettings& s = *inputs.interface;
    const DigitHiding hiding{s.hideDigits != 0, s.hideFrom, s.hideTo};
    std::vector<std::u16string> texts;
    texts.reserve(inputs.run->progress().pool.size());
    for (const Entrant& entrant : inputs.run->progress().pool)
        texts.push_back(hideDigitsText(entrant.text(), hiding, 0));
    m_warmer.start(m_font->font, std::move(texts));
}

void TextScrollView::dropFonts() {
    m_warmer.stop();
    m_font.reset();
}

void TextScrollView::paint(const ViewFrame& frame) {
    const ScreenInputs& inputs = frame.inputs;
    const PrizeItem* prize = inputs.run->currentPrize();
    // A font made here is the first sight of this prize (a draw resumed at start-up, new settings): its
    // glyphs are prepared from now on.
    if (!m_font)
        prepare(inputs, frame.logicalDpiY);
    drawTextScrollArea(frame.canvas, *m_font, frame.area, inputs.run->progress(), *prize, *inputs.interface,
                       inputs.interfaceDialogOpen);
}

} // namespace kelvora
