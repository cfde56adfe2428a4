#pragma once
// The drawing primitives every part of the draw screen shares: its fonts, the one text primitive
// (drawTextInRect) and the outlines of the layout guides.

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "screen/glyph_cache.h"
#include "screen/screen_geometry.h"
#include "settings/interface_settings.h"

class QImage;
class QPainter;
class QPointF;

namespace kelvora {

// A font of the screen with the measures the text primitive needs, taken once when the font is made.
struct ScreenFont {
    explicit ScreenFont(const QFont& qfont);

    QFont font;
    QFontMetrics metrics;
    int ascent;
    int height; // ascent + descent: the height a line of text is centred by
};

// The font of a band or of the scroll area: pixel height MulDiv(sizePt, logicalDpiY, 72) (at least one
// pixel), weight 700 when bold, italic only when the style asks for it and withItalic is set.
ScreenFont createBandFont(const FontStyle& style, int sizePt, bool withItalic, int logicalDpiY);
ScreenFont createBandFont(std::u16string_view faceName, const FontStyle& style, int sizePt, bool withItalic,
                          int logicalDpiY);

// Stored effects outside the known values draw as no effect.
TextEffect textEffectOf(std::int32_t stored);

// Which positions of a shown entry are masked with "*": 1-based, counted within the entrant's own text,
// that is after a prefix of hideOffset units (the winner number).
struct DigitHiding {
    bool enabled = false;
    std::int32_t from = 1;
    std::int32_t to = 1;
};

// The text with positions hideOffset + from .. hideOffset + to (1-based, inclusive) replaced by "*". A range
// beyond the text's end hides what there is; a character made of two UTF-16 units is hidden whole.
std::u16string hideDigitsText(std::u16string_view text, const DigitHiding& hiding, int hideOffset);

enum TextAlign : int { AlignStart = 0, AlignCenter = 1, AlignEnd = 2 };

// Where text goes: the image (Format_ARGB32_Premultiplied or Format_RGB32) and the glyphs rendered for it.
struct TextCanvas {
    QImage& image;
    GlyphCache& glyphs;
};

// The width the text primitive centres a line by: its advance as laid out, the text as shown (digits
// already hidden).
int lineAdvance(const ScreenFont& font, const QString& shownText);
// How many pixels a text effect adds to a line's width: the shadow one on the right, the outline one on each
// side. A line centred in a rectangle keeps all its pixels inside when its advance plus this is no wider.
int effectWidth(TextEffect effect);

// The one text primitive. One line, measured whole: hAlign places it at the rectangle's left, right or centre
// (trunc((width - textWidth) * 0.5 + left)), vAlign likewise by the font's height; text larger than the
// rectangle overhangs on both sides and is cut by it. A shadow is the text in black one pixel right and down,
// an outline the text in effectColor one pixel right, left, down and up; either lies under the text in
// textColor. Nothing is drawn outside the rectangle or the image; an empty text or rectangle draws nothing.
void drawTextInRect(TextCanvas canvas, std::u16string_view text, const DigitHiding& hiding, int hideOffset,
                    const ScreenFont& font, ColorRef textColor, TextEffect effect, ColorRef effectColor,
                    const PixelRect& rect, int hAlign, int vAlign);
// The same, placed by rect and cut by clip instead: a line of a roll is centred in its cell but cut at the
// roll's edges.
void drawTextClipped(TextCanvas canvas, std::u16string_view text, const DigitHiding& hiding, int hideOffset,
                     const ScreenFont& font, ColorRef textColor, TextEffect effect, ColorRef effectColor,
                     const PixelRect& rect, const PixelRect& clip, int hAlign, int vAlign);

// Where drawTextInRect puts the glyphs of a line whose box (the font's height) has its top-left corner at
// (x, y): each glyph at the whole pixel that holds its position, to be rendered for the 64ths of a pixel
// left over. The fractions depend only on the text and the font, which lets glyphs be rendered ahead.
struct GlyphSpot {
    quint32 index;
    int x;
    int y;
    int subX;
    int subY;
};
struct PlacedRun {
    QRawFont font;
    std::vector<GlyphSpot> glyphs;
};
std::vector<PlacedRun> placeGlyphs(const QString& text, const ScreenFont& font, int x, int y);

// One line of text with its baseline starting at baseline, in the painter's pen colour, as
// QPainter::drawText draws it, except that bold Qt leaves out of large text is put in as the glyph cache
// puts it in. For text painted outside the frame, such as a preview of the scroll font, so that it shows the
// weight the screen will.
void drawScreenText(QPainter& painter, const QPointF& baseline, const QString& text, const QFont& font);

// The guides shown while the layout is being edited: bands in solid white, inner rectangles dash-dot-dot
// grey, the scroll area's grid dotted grey; all one pixel wide.
QPen bandPen();
QPen innerPen();
QPen gridPen();

// Outlines left..right-1 x top..bottom-1 with innerPen when dashed, else bandPen; nothing for an empty
// rectangle.
void drawRectOutline(QPainter& painter, bool dashed, int left, int top, int right, int bottom);

} // namespace kelvora
