#include "photos/portrait.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace kelvora::photos {

namespace {

// The person is designed in a 600 x 800 box and scaled into the picture.
constexpr double kBoxWidth = 600;
constexpr double kBoxHeight = 800;

// A small generator of our own: the standard distributions differ between libraries, the faces must not.
class Random {
public:
    Random(std::uint32_t seed, int index) {
        std::uint32_t h = seed * 0x9E3779B1u ^ (static_cast<std::uint32_t>(index) + 1u) * 0x85EBCA77u;
        h ^= h >> 16; // the finaliser of MurmurHash3: neighbouring indices start far apart
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
        state_ = h != 0 ? h : 0x6D2B79F5u;
    }
    double unit() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return (state_ >> 8) * (1.0 / 16777216.0);
    }
    double range(double low, double high) { return low + (high - low) * unit(); }
    int pick(int n) { return std::min(n - 1, static_cast<int>(unit() * n)); }
    bool chance(double p) { return unit() < p; }

private:
    std::uint32_t state_;
};

enum class Hair { Short, Long, Bun, Bald, Cap, Curly, Bob, Count };
enum class Neckline { Round, VNeck, Shirt, Turtleneck, Count };

struct Person {
    QColor background1, background2;
    bool gradientBackground = false;
    QColor skin, hair, cloth, capColor;
    Hair hairStyle = Hair::Short;
    Neckline neckline = Neckline::Round;
    double faceW = 240, faceH = 290;
    double eyeGap = 50, eyeSize = 1;
    bool openEyes = false;
    int mouth = 0; // 0 a closed smile, 1 an open laugh, 2 a small smile
    bool blush = false;
    int glasses = 0; // 0 none, 1 round, 2 square
    QColor glassesColor;
    bool sweepLeft = false;
};

Person makePerson(std::uint32_t seed, int index) {
    Random r(seed, index);
    Person p;
    static constexpr std::array<QRgb, 7> kSkins = {0xFFF6DDC8, 0xFFF1CBA9, 0xFFE3B48C, 0xFFD09E74,
                                                   0xFFB27A52, 0xFF8D5A3B, 0xFFEBC19C};
    static constexpr std::array<QRgb, 8> kHairs = {0xFF1E1A1A, 0xFF2E221C, 0xFF4A3022, 0xFF6E4A2E,
                                                   0xFFA9773F, 0xFF9A9AA2, 0xFF7A3520, 0xFF17171F};
    p.skin = QColor::fromRgb(kSkins[static_cast<std::size_t>(r.pick(kSkins.size()))]);
    p.hair = QColor::fromRgb(kHairs[static_cast<std::size_t>(r.pick(kHairs.size()))]);
    const double backgroundHue = r.unit();
    p.background1 = QColor::fromHsvF(backgroundHue, r.range(0.12, 0.3), r.range(0.88, 0.97));
    p.background2 = QColor::fromHsvF(std::fmod(backgroundHue + r.range(0.02, 0.12), 1.0), r.range(0.25, 0.45),
                                     r.range(0.7, 0.85));
    p.gradientBackground = r.chance(0.6);
    p.cloth = QColor::fromHsvF(r.unit(), r.range(0.4, 0.75), r.range(0.5, 0.88));
    p.capColor = QColor::fromHsvF(r.unit(), r.range(0.55, 0.8), r.range(0.6, 0.9));
    // Weighted, so caps and bald heads stay the exception in a crowd.
    static constexpr std::array<std::pair<Hair, double>, 7> kStyles = {{
        {Hair::Short, 3},
        {Hair::Long, 2},
        {Hair::Bob, 2},
        {Hair::Bun, 1.5},
        {Hair::Curly, 1},
        {Hair::Bald, 0.8},
        {Hair::Cap, 0.8},
    }};
    double total = 0;
    for (const auto& style : kStyles)
        total += style.second;
    double roll = r.range(0, total);
    for (const auto& style : kStyles) {
        p.hairStyle = style.first;
        roll -= style.second;
        if (roll < 0)
            break;
    }
    p.neckline = static_cast<Neckline>(r.pick(static_cast<int>(Neckline::Count)));
    if (p.hairStyle == Hair::Long && p.neckline == Neckline::Turtleneck)
        p.neckline = Neckline::Round; // the roll collar would sit on top of the hair
    p.faceW = r.range(236, 266);
    p.faceH = r.range(286, 318);
    p.eyeGap = p.faceW * r.range(0.19, 0.23);
    p.eyeSize = r.range(0.9, 1.12);
    p.openEyes = r.chance(0.5);
    p.mouth = r.pick(3);
    p.blush = r.chance(0.55);
    p.glasses = r.chance(0.28) ? 1 + r.pick(2) : 0;
    p.glassesColor = r.chance(0.6) ? QColor(40, 36, 40) : QColor::fromHsvF(r.unit(), 0.6, 0.55);
    p.sweepLeft = r.chance(0.5);
    return p;
}

QPainterPath ellipse(double cx, double cy, double w, double h) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), w / 2, h / 2);
    return path;
}

QPen line(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Everything below works in the 600 x 800 box; the face's centre is (kCx, kCy).
constexpr double kCx = 300;
constexpr double kCy = 396;

void paintBackground(QPainter& painter, const Person& p, QSize size) {
    const QRectF all(0, 0, size.width(), size.height());
    if (p.gradientBackground) {
        QLinearGradient fill(0, 0, 0, size.height());
        fill.setColorAt(0, p.background1);
        fill.setColorAt(1, p.background2);
        painter.fillRect(all, fill);
    } else {
        painter.fillRect(all, p.background1);
    }
    // The studio light behind the head.
    const double radius = 0.6 * std::max(size.width(), size.height());
    QRadialGradient light(size.width() / 2.0, size.height() * 0.42, radius);
    light.setColorAt(0, QColor(255, 255, 255, 110));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(all, light);
}

QPainterPath headShape(const Person& p, double grow) {
    return ellipse(kCx, kCy, p.faceW + grow, p.faceH + grow);
}

// Hair that lies behind the head: long hair, a bob, a bun, curls.
void paintBackHair(QPainter& painter, const Person& p) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(p.hair);
    const double top = kCy - p.faceH / 2 - 22;
    switch (p.hairStyle) {
    case Hair::Long: {
        QPainterPath path;
        const double w = p.faceW + 70;
        path.addRoundedRect(QRectF(kCx - w / 2, top, w, p.faceH + 170), w / 2, 70);
        painter.drawPath(path);
        break;
    }
    case Hair::Bob: {
        QPainterPath path;
        const double w = p.faceW + 56;
        path.addRoundedRect(QRectF(kCx - w / 2, top, w, p.faceH * 0.95), w / 2, 60);
        painter.drawPath(path);
        break;
    }
    case Hair::Bun:
        painter.drawPath(ellipse(kCx, top - 20, 120, 104));
        break;
    case Hair::Curly:
        for (int i = 0; i <= 12; ++i) {
            const double a = M_PI * (1.08 + 0.84 * i / 12.0); // over the top, ear to ear
            const double x = kCx + std::cos(a) * (p.faceW / 2 + 14);
            const double y = kCy - 20 + std::sin(a) * (p.faceH / 2 + 14);
            painter.drawPath(ellipse(x, y, 78, 78));
        }
        break;
    default:
        break;
    }
}

void paintShoulders(QPainter& painter, const Person& p) {
    const QColor outline = p.cloth.darker(135);
    QPainterPath body;
    body.addRoundedRect(QRectF(38, 618, 524, 320), 150, 130);
    QLinearGradient cloth(0, 618, 0, 800);
    cloth.setColorAt(0, p.cloth.lighter(112));
    cloth.setColorAt(1, p.cloth.darker(112));
    painter.setPen(line(outline, 3));
    painter.setBrush(cloth);
    painter.drawPath(body);
}

// The neck and the neckline go over long hair, which falls on the shoulders behind them.
void paintNeck(QPainter& painter, const Person& p) {
    const QColor neckSkin = p.skin.darker(112);
    const QColor outline = p.cloth.darker(135);
    // The neck, with its shadow under the chin drawn later by the face.
    QPainterPath neck;
    const double neckBottom = p.neckline == Neckline::Turtleneck ? 600 : 660;
    neck.addRect(QRectF(kCx - 44, kCy + p.faceH * 0.3, 88, neckBottom - (kCy + p.faceH * 0.3)));
    switch (p.neckline) {
    case Neckline::Round:
        neck.addPath(ellipse(kCx, 628, 124, 64));
        break;
    case Neckline::VNeck: {
        QPolygonF v;
        v << QPointF(kCx - 70, 622) << QPointF(kCx + 70, 622) << QPointF(kCx, 708);
        neck.addPolygon(v);
        break;
    }
    default:
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(neckSkin);
    painter.drawPath(neck.simplified());

    switch (p.neckline) {
    case Neckline::Shirt: {
        // A white collar opening on a sliver of skin.
        QPolygonF open;
        open << QPointF(kCx - 44, 618) << QPointF(kCx + 44, 618) << QPointF(kCx, 690);
        painter.drawPolygon(open);
        painter.setPen(line(QColor(190, 190, 200), 3));
        painter.setBrush(QColor(250, 250, 252));
        for (int side : {-1, 1}) {
            QPolygonF flap;
            flap << QPointF(kCx + side * 50, 604) << QPointF(kCx + side * 2, 692)
                 << QPointF(kCx + side * 88, 664);
            painter.drawPolygon(flap);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(outline);
        for (int i = 0; i < 2; ++i)
            painter.drawPath(ellipse(kCx, 722 + i * 40, 10, 10));
        break;
    }
    case Neckline::Turtleneck: {
        QPainterPath roll;
        roll.addRoundedRect(QRectF(kCx - 74, 588, 148, 56), 28, 28);
        painter.setPen(line(outline, 3));
        painter.setBrush(p.cloth.lighter(106));
        painter.drawPath(roll);
        painter.setPen(line(p.cloth.darker(118), 2.5));
        painter.drawLine(QPointF(kCx - 60, 616), QPointF(kCx + 60, 616));
        break;
    }
    default: {
        // The edge of the neckline, so the top does not look painted on.
        painter.setPen(line(outline, 3));
        painter.setBrush(Qt::NoBrush);
        if (p.neckline == Neckline::Round)
            painter.drawArc(QRectF(kCx - 62, 596, 124, 64), 180 * 16, 180 * 16);
        else
            painter.drawPolyline(
                QPolygonF{QPointF(kCx - 70, 622), QPointF(kCx, 708), QPointF(kCx + 70, 622)});
        break;
    }
    }
}

void paintFace(QPainter& painter, const Person& p) {
    const QColor outline = p.skin.darker(128);
    painter.setPen(line(outline, 3));
    painter.setBrush(p.skin);
    // Ears first, so the face's edge covers their inner half.
    for (int side : {-1, 1})
        painter.drawPath(ellipse(kCx + side * p.faceW / 2, kCy + 12, 46, 64));
    painter.drawPath(headShape(p, 0));
    // A soft shade along the jaw.
    painter.setPen(Qt::NoPen);
    QRadialGradient shade(kCx, kCy - p.faceH * 0.1, p.faceH * 0.62);
    shade.setColorAt(0.75, QColor(0, 0, 0, 0));
    shade.setColorAt(1, QColor(120, 60, 40, 36));
    painter.setBrush(shade);
    painter.drawPath(headShape(p, -2));
}

QPainterPath frontHairShape(const Person& p) {
    const QPainterPath head = headShape(p, 22);
    const double top = kCy - p.faceH / 2 - 30;
    const double side = p.sweepLeft ? -1 : 1;
    QPainterPath cut; // everything above the fringe line, which sweeps down to one side
    switch (p.hairStyle) {
    case Hair::Bob: {
        cut.addRect(QRectF(0, 0, kBoxWidth, kCy - p.faceH * 0.2));
        break;
    }
    case Hair::Curly: {
        cut.moveTo(0, 0);
        cut.lineTo(kBoxWidth, 0);
        cut.lineTo(kBoxWidth, kCy - p.faceH * 0.12);
        for (int i = 6; i >= 0; --i) {
            const double x = kCx - p.faceW / 2 - 10 + i * (p.faceW + 20) / 6.0;
            cut.quadTo(QPointF(x + (p.faceW + 20) / 12.0, kCy - p.faceH * 0.18),
                       QPointF(x, kCy - p.faceH * (i % 2 ? 0.26 : 0.22)));
        }
        cut.lineTo(0, kCy - p.faceH * 0.12);
        cut.closeSubpath();
        break;
    }
    default: {
        const double low = kCy - p.faceH * 0.08; // where the sweep ends, over one temple
        const double high = kCy - p.faceH * 0.3; // where it starts, over the other
        cut.moveTo(0, 0);
        cut.lineTo(kBoxWidth, 0);
        cut.lineTo(kBoxWidth, side > 0 ? low : high);
        cut.cubicTo(QPointF(kCx + p.faceW * 0.3, side > 0 ? low - 50 : high + 10),
                    QPointF(kCx - p.faceW * 0.2, side > 0 ? high + 10 : low - 50),
                    QPointF(0, side > 0 ? high : low));
        cut.closeSubpath();
        break;
    }
    }
    QPainterPath hair = head.intersected(cut);
    if (p.hairStyle == Hair::Long || p.hairStyle == Hair::Bob || p.hairStyle == Hair::Short ||
        p.hairStyle == Hair::Bun) {
        // Hair down the sides of the face to the ears.
        const double sideDepth = p.hairStyle == Hair::Short || p.hairStyle == Hair::Bun ? 0.02 : 0.25;
        QPainterPath sides;
        sides.addRect(QRectF(0, top, kCx - p.faceW / 2 + 18, kCy + p.faceH * sideDepth - top));
        sides.addRect(QRectF(kCx + p.faceW / 2 - 18, top, kBoxWidth, kCy + p.faceH * sideDepth - top));
        hair = hair.united(head.intersected(sides));
    }
    return hair;
}

void paintFrontHair(QPainter& painter, const Person& p) {
    if (p.hairStyle == Hair::Bald) {
        // A little hair left above the ears.
        painter.setPen(Qt::NoPen);
        const QColor grey(150, 146, 146);
        painter.setBrush(QColor((p.hair.red() + 2 * grey.red()) / 3, (p.hair.green() + 2 * grey.green()) / 3,
                                (p.hair.blue() + 2 * grey.blue()) / 3));
        painter.setClipPath(headShape(p, 8));
        for (int side : {-1, 1})
            painter.drawPath(ellipse(kCx + side * (p.faceW / 2 + 2), kCy - 22, 26, 66));
        painter.setClipping(false);
        // And the shine of the head.
        painter.setBrush(QColor(255, 255, 255, 60));
        painter.drawPath(ellipse(kCx - p.faceW * 0.18, kCy - p.faceH * 0.36, 60, 30));
        return;
    }
    if (p.hairStyle == Hair::Cap) {
        QPainterPath crown = headShape(p, 26);
        QPainterPath above;
        above.addRect(QRectF(0, 0, kBoxWidth, kCy - p.faceH * 0.19));
        crown = crown.intersected(above);
        painter.setPen(line(p.capColor.darker(140), 3));
        painter.setBrush(p.capColor);
        painter.drawPath(crown);
        const double side = p.sweepLeft ? -1 : 1;
        QPainterPath brim;
        brim.addRoundedRect(
            QRectF(kCx - p.faceW * 0.56 + side * 44, kCy - p.faceH * 0.235, p.faceW * 1.12, 24), 12, 12);
        painter.setBrush(p.capColor.darker(118));
        painter.drawPath(brim);
        painter.setBrush(p.capColor.lighter(130));
        painter.drawPath(ellipse(kCx, kCy - p.faceH / 2 - 10, 22, 14));
        return;
    }
    const QPainterPath hair = frontHairShape(p);
    painter.setPen(line(p.hair.darker(130), 2.5));
    painter.setBrush(p.hair);
    painter.drawPath(hair);
    // A highlight, so dark hair is not a flat hole.
    painter.setPen(line(p.hair.lighter(p.hair.value() < 60 ? 260 : 135), 5));
    painter.setBrush(Qt::NoBrush);
    painter.setClipPath(hair);
    painter.drawArc(QRectF(kCx - p.faceW * 0.42, kCy - p.faceH * 0.52, p.faceW * 0.5, p.faceH * 0.4),
                    100 * 16, 60 * 16);
    painter.setClipping(false);
}

void paintFeatures(QPainter& painter, const Person& p) {
    const double eyeY = kCy + p.faceH * 0.02;
    const QColor dark(46, 34, 32);
    // Brows.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line(p.hairStyle == Hair::Bald ? p.hair.lighter(120) : p.hair.darker(105), 7));
    for (int side : {-1, 1}) {
        const double x = kCx + side * p.eyeGap;
        QPainterPath brow;
        brow.moveTo(x - 24, eyeY - 34);
        brow.quadTo(QPointF(x, eyeY - 50), QPointF(x + 24, eyeY - 36));
        painter.drawPath(brow);
    }
    // Eyes.
    painter.setPen(Qt::NoPen);
    for (int side : {-1, 1}) {
        const double x = kCx + side * p.eyeGap;
        if (p.openEyes) {
            painter.setPen(line(dark, 2.5));
            painter.setBrush(Qt::white);
            painter.drawPath(ellipse(x, eyeY, 44 * p.eyeSize, 30 * p.eyeSize));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(86, 56, 36));
            painter.drawPath(ellipse(x, eyeY + 1, 24 * p.eyeSize, 24 * p.eyeSize));
            painter.setBrush(dark);
            painter.drawPath(ellipse(x, eyeY + 1, 12 * p.eyeSize, 12 * p.eyeSize));
        } else {
            painter.setBrush(dark);
            painter.drawPath(ellipse(x, eyeY, 20 * p.eyeSize, 27 * p.eyeSize));
        }
        painter.setBrush(Qt::white);
        painter.drawPath(ellipse(x + 4 * p.eyeSize, eyeY - 5 * p.eyeSize, 7 * p.eyeSize, 7 * p.eyeSize));
    }
    // Cheeks.
    if (p.blush) {
        painter.setBrush(QColor(240, 110, 110, 60));
        for (int side : {-1, 1})
            painter.drawPath(ellipse(kCx + side * p.faceW * 0.3, eyeY + 52, 46, 26));
    }
    // Nose.
    painter.setPen(line(p.skin.darker(135), 4));
    painter.setBrush(Qt::NoBrush);
    QPainterPath nose;
    const double noseY = eyeY + 50;
    nose.moveTo(kCx - 10, noseY);
    nose.quadTo(QPointF(kCx, noseY + 11), QPointF(kCx + 10, noseY));
    painter.drawPath(nose);
    // Mouth.
    const double mouthY = eyeY + 92;
    const QColor lips(150, 52, 60);
    if (p.mouth == 1) {
        QPainterPath open;
        open.moveTo(kCx - 38, mouthY);
        open.quadTo(QPointF(kCx, mouthY + 6), QPointF(kCx + 38, mouthY));
        open.cubicTo(QPointF(kCx + 32, mouthY + 44), QPointF(kCx - 32, mouthY + 44),
                     QPointF(kCx - 38, mouthY));
        painter.setPen(line(lips.darker(130), 3));
        painter.setBrush(lips);
        painter.drawPath(open);
        painter.setClipPath(open);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(kCx - 40, mouthY - 10, 80, 20));
        painter.setBrush(QColor(236, 120, 130));
        painter.drawPath(ellipse(kCx, mouthY + 34, 44, 26));
        painter.setClipping(false);
    } else {
        const double half = p.mouth == 0 ? 34 : 22;
        QPainterPath smile;
        smile.moveTo(kCx - half, mouthY);
        smile.quadTo(QPointF(kCx, mouthY + half * 0.85), QPointF(kCx + half, mouthY));
        painter.setPen(line(lips, 5.5));
        painter.drawPath(smile);
    }
    // Glasses.
    if (p.glasses != 0) {
        painter.setPen(line(p.glassesColor, 5));
        painter.setBrush(QColor(255, 255, 255, 40));
        for (int side : {-1, 1}) {
            const double x = kCx + side * p.eyeGap;
            if (p.glasses == 1)
                painter.drawPath(ellipse(x, eyeY, 66, 62));
            else
                painter.drawRoundedRect(QRectF(x - 36, eyeY - 26, 72, 52), 10, 10);
            const double outer = x + side * (p.glasses == 1 ? 33 : 36);
            painter.drawLine(QPointF(outer, eyeY - 6), QPointF(kCx + side * (p.faceW / 2 + 2), eyeY - 12));
        }
        const double inner = p.eyeGap - (p.glasses == 1 ? 33 : 36);
        QPainterPath bridge;
        bridge.moveTo(kCx - inner, eyeY - 4);
        bridge.quadTo(QPointF(kCx, eyeY - 14), QPointF(kCx + inner, eyeY - 4));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(bridge);
    }
}

} // namespace

QImage paintPortrait(std::uint32_t seed, int index, QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    const Person p = makePerson(seed, index);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBackground(painter, p, size);

    // A landscape photo is framed closer, to the chest, as a photographer would.
    double scale = std::min(size.width() / kBoxWidth, size.height() / kBoxHeight);
    if (size.width() > size.height())
        scale = std::min(scale * 1.25, size.width() / kBoxWidth);
    painter.translate((size.width() - kBoxWidth * scale) / 2, size.height() - kBoxHeight * scale);
    painter.scale(scale, scale);
    paintShoulders(painter, p);
    paintBackHair(painter, p);
    paintNeck(painter, p);
    paintFace(painter, p);
    paintFrontHair(painter, p);
    paintFeatures(painter, p);
    painter.end();
    return picture;
}

} // namespace kelvora::photos
