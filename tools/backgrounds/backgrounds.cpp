// kelvora_backgrounds <folder>: paints the festive backgrounds that ship in the built-in resources folder.
// Everything is drawn here (gradients, soft light, ornaments from paths) from a fixed seed, so every build
// writes the same pictures and nothing of anyone else's is shipped. The draw screen puts light-yellow text on
// the middle and titles across the top, so the middle stays dark and quiet and the ornaments keep to the
// edges and corners.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
// Soft light is painted at a quarter of the size and scaled up: it has no edges to lose, and it is most of
// the work.
constexpr int kLightScale = 4;
constexpr int kJpegQuality = 90;
constexpr double kPi = 3.14159265358979323846;

// A small generator of our own: the standard distributions differ between libraries, the pictures must not.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    double unit() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return (state_ >> 8) * (1.0 / 16777216.0);
    }
    double range(double low, double high) { return low + (high - low) * unit(); }

private:
    std::uint32_t state_;
};

// 0 in the middle of the picture, 1 on the ellipse that touches its edges, more in the corners.
double edgeness(double x, double y, double width, double height) {
    const double dx = (x - width / 2) / (width / 2);
    const double dy = (y - height / 2) / (height / 2);
    return std::sqrt(dx * dx + dy * dy);
}

double smoothstep(double low, double high, double x) {
    const double t = std::clamp((x - low) / (high - low), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

struct Theme {
    const char* fileName;
    std::uint32_t seed;
    QColor centre;              // the calm middle
    QColor edge;                // the glowing rim
    std::vector<QColor> lights; // colours of the soft light
    int lightCount;
    std::function<void(QPainter&, Random&)> ornaments;
};

void paintBase(QPainter& p, const Theme& theme) {
    QRadialGradient base(QPointF(kWidth / 2.0, kHeight * 0.55), kWidth * 0.62);
    base.setColorAt(0.0, theme.centre);
    base.setColorAt(0.45, theme.centre);
    base.setColorAt(1.0, theme.edge);
    p.fillRect(QRect(0, 0, kWidth, kHeight), base);
    // A little more depth along the top, where the titles are.
    QLinearGradient top(0, 0, 0, kHeight * 0.3);
    top.setColorAt(0.0, withAlpha(Qt::black, 0.35));
    top.setColorAt(1.0, withAlpha(Qt::black, 0.0));
    p.fillRect(QRect(0, 0, kWidth, kHeight), top);
}

// Out-of-focus lights: soft discs with a slightly brighter rim, added onto one another, mostly near the
// edges.
void paintLights(QPainter& target, const Theme& theme, Random& random) {
    const int w = kWidth / kLightScale;
    const int h = kHeight / kLightScale;
    QImage layer(w, h, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        p.setPen(Qt::NoPen);
        int placed = 0;
        while (placed < theme.lightCount) {
            const double x = random.range(-0.05, 1.05) * w;
            const double y = random.range(-0.05, 1.05) * h;
            const double e = edgeness(x, y, w, h);
            const double chance = smoothstep(0.45, 1.05, e);
            if (random.unit() > chance)
                continue;
            ++placed;
            const double radius = random.range(0.012, 0.05) * w * (0.6 + 0.6 * chance);
            const double strength = random.range(0.1, 0.34) * chance;
            const QColor color = theme.lights[static_cast<std::size_t>(random.unit() * theme.lights.size())];
            QRadialGradient disc(QPointF(x, y), radius);
            disc.setColorAt(0.0, withAlpha(color, strength * 0.55));
            disc.setColorAt(0.75, withAlpha(color, strength * 0.7));
            disc.setColorAt(0.9, withAlpha(color, strength));
            disc.setColorAt(1.0, withAlpha(color, 0.0));
            p.setBrush(disc);
            p.drawEllipse(QPointF(x, y), radius, radius);
        }
    }
    target.save();
    target.setRenderHint(QPainter::SmoothPixmapTransform);
    target.setCompositionMode(QPainter::CompositionMode_Screen);
    target.drawImage(QRect(0, 0, kWidth, kHeight),
                     layer.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    target.restore();
}

// Keeps the scroll area readable whatever the ornaments and lights did near it.
void calmTheMiddle(QPainter& p, double strength) {
    QRadialGradient shade(QPointF(kWidth / 2.0, kHeight * 0.58), kWidth * 0.42);
    shade.setColorAt(0.0, withAlpha(Qt::black, strength));
    shade.setColorAt(0.6, withAlpha(Qt::black, strength * 0.6));
    shade.setColorAt(1.0, withAlpha(Qt::black, 0.0));
    p.fillRect(QRect(0, 0, kWidth, kHeight), shade);
}

// ---- ornaments -------------------------------------------------------------------------------------------

const QColor kGold(240, 196, 92);
const QColor kPaleGold(255, 228, 150);

// A round lantern hanging on a cord from the top edge.
void lantern(QPainter& p, double cx, double top, double size, const QColor& body) {
    const double bodyTop = top + size * 0.25;
    const QRectF bodyRect(cx - size / 2, bodyTop, size, size * 0.8);
    p.setPen(QPen(kGold, size * 0.02));
    p.drawLine(QPointF(cx, 0), QPointF(cx, top + size * 0.15));
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(cx - size * 0.2, top + size * 0.12, size * 0.4, size * 0.16), size * 0.03,
                      size * 0.03);
    p.drawRoundedRect(QRectF(cx - size * 0.2, bodyRect.bottom() - size * 0.04, size * 0.4, size * 0.14),
                      size * 0.03, size * 0.03);

    QRadialGradient glow(bodyRect.center(), size * 0.55);
    glow.setColorAt(0.0, body.lighter(170));
    glow.setColorAt(0.6, body);
    glow.setColorAt(1.0, body.darker(180));
    p.setBrush(glow);
    p.setPen(QPen(kGold, size * 0.018));
    p.drawEllipse(bodyRect);
    // The ribs: narrower ellipses inside the body.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(kGold, 0.8), size * 0.012));
    for (double f : {0.66, 0.33})
        p.drawEllipse(QRectF(cx - size * f / 2, bodyTop, size * f, size * 0.8));
    p.drawLine(QPointF(cx, bodyTop), QPointF(cx, bodyRect.bottom()));
    // The tassel.
    const double tasselTop = bodyRect.bottom() + size * 0.1;
    p.setPen(QPen(kGold, size * 0.012, Qt::SolidLine, Qt::RoundCap));
    for (int i = -3; i <= 3; ++i)
        p.drawLine(QPointF(cx + i * size * 0.012, tasselTop),
                   QPointF(cx + i * size * 0.03, tasselTop + size * 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(cx, tasselTop), size * 0.05, size * 0.05);
}

// An auspicious cloud: a row of swelling lobes over a flat base, with a curl at each end.
void cloud(QPainter& p, double x, double y, double size, bool mirrored, double alpha) {
    p.save();
    p.translate(x, y);
    if (mirrored)
        p.scale(-1, 1);
    QPainterPath outline;
    outline.moveTo(0, 0);
    outline.cubicTo(size * 0.05, -size * 0.35, size * 0.45, -size * 0.4, size * 0.5, -size * 0.1);
    outline.cubicTo(size * 0.6, -size * 0.55, size * 1.1, -size * 0.55, size * 1.15, -size * 0.1);
    outline.cubicTo(size * 1.3, -size * 0.4, size * 1.7, -size * 0.3, size * 1.65, 0);
    outline.cubicTo(size * 1.6, size * 0.15, size * 0.1, size * 0.15, 0, 0);
    p.setBrush(withAlpha(kGold, alpha * 0.22));
    p.setPen(QPen(withAlpha(kGold, alpha), size * 0.035, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline);
    // Curls: spirals inside the two big lobes.
    p.setBrush(Qt::NoBrush);
    for (const auto& [cx, cy, r] : {std::tuple{size * 0.83, -size * 0.18, size * 0.2},
                                    std::tuple{size * 0.28, -size * 0.08, size * 0.14}}) {
        QPainterPath curl;
        for (int i = 0; i <= 60; ++i) {
            const double t = i / 60.0;
            const double angle = kPi * 0.9 + t * kPi * 2.6;
            const double rr = r * (1.0 - 0.75 * t);
            const QPointF point(cx + rr * std::cos(angle), cy + rr * std::sin(angle));
            if (i == 0)
                curl.moveTo(point);
            else
                curl.lineTo(point);
        }
        p.drawPath(curl);
    }
    p.restore();
}

// A burst of sparks: rays that fade outwards with a bright head, added onto the picture.
void firework(QPainter& p, Random& random, double cx, double cy, double radius, const QColor& color) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    const int rays = 28 + static_cast<int>(random.unit() * 14);
    for (int i = 0; i < rays; ++i) {
        const double angle = 2 * kPi * i / rays + random.range(-0.05, 0.05);
        const double length = radius * random.range(0.75, 1.0);
        const QPointF from(cx + std::cos(angle) * radius * 0.15, cy + std::sin(angle) * radius * 0.15);
        const QPointF to(cx + std::cos(angle) * length, cy + std::sin(angle) * length);
        QLinearGradient fade(from, to);
        fade.setColorAt(0.0, withAlpha(color, 0.0));
        fade.setColorAt(1.0, withAlpha(color, 0.7));
        p.setPen(QPen(QBrush(fade), radius * 0.012, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        p.setPen(Qt::NoPen);
        QRadialGradient head(to, radius * 0.035);
        head.setColorAt(0.0, withAlpha(color.lighter(130), 0.9));
        head.setColorAt(1.0, withAlpha(color, 0.0));
        p.setBrush(head);
        p.drawEllipse(to, radius * 0.035, radius * 0.035);
    }
    QRadialGradient core(QPointF(cx, cy), radius * 0.3);
    core.setColorAt(0.0, withAlpha(color, 0.35));
    core.setColorAt(1.0, withAlpha(color, 0.0));
    p.setBrush(core);
    p.drawEllipse(QPointF(cx, cy), radius * 0.3, radius * 0.3);
    p.restore();
}

// A four-pointed glint with a soft halo.
void sparkle(QPainter& p, double cx, double cy, double size, const QColor& color) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    p.setPen(Qt::NoPen);
    QRadialGradient halo(QPointF(cx, cy), size);
    halo.setColorAt(0.0, withAlpha(color, 0.45));
    halo.setColorAt(1.0, withAlpha(color, 0.0));
    p.setBrush(halo);
    p.drawEllipse(QPointF(cx, cy), size, size);
    QPainterPath star;
    const double s = size * 1.4;
    const double w = size * 0.12;
    star.moveTo(cx, cy - s);
    star.quadTo(cx + w, cy - w, cx + s, cy);
    star.quadTo(cx + w, cy + w, cx, cy + s);
    star.quadTo(cx - w, cy + w, cx - s, cy);
    star.quadTo(cx - w, cy - w, cx, cy - s);
    p.setBrush(withAlpha(color, 0.85));
    p.drawPath(star);
    p.restore();
}

// Tiny points of light, many more towards the edges.
void starDust(QPainter& p, Random& random, int count, const QColor& color) {
    p.save();
    p.setPen(Qt::NoPen);
    int placed = 0;
    while (placed < count) {
        const double x = random.unit() * kWidth;
        const double y = random.unit() * kHeight;
        const double chance = smoothstep(0.35, 1.1, edgeness(x, y, kWidth, kHeight));
        if (random.unit() > chance)
            continue;
        ++placed;
        const double r = random.range(1.5, 4.5);
        p.setBrush(withAlpha(color, random.range(0.3, 0.9) * chance));
        p.drawEllipse(QPointF(x, y), r, r);
    }
    p.restore();
}

// A fan of concentric arcs and spokes in a corner, the art-deco way.
void cornerFan(QPainter& p, double x, double y, double radius, int quadrant) {
    p.save();
    p.translate(x, y);
    p.rotate(90.0 * quadrant);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 5; ++i) {
        const double r = radius * i / 5.0;
        p.setPen(QPen(withAlpha(kGold, 0.25 + 0.12 * i), i == 5 ? 6 : 3));
        p.drawArc(QRectF(-r, -r, 2 * r, 2 * r), -90 * 16, 90 * 16);
    }
    p.setPen(QPen(withAlpha(kGold, 0.5), 3));
    for (int i = 0; i <= 9; ++i) {
        const double angle = kPi / 2 * i / 9.0;
        p.drawLine(QPointF(0, 0), QPointF(std::cos(angle) * radius, std::sin(angle) * radius));
    }
    p.restore();
}

// A thin double frame just inside the picture's edge.
void frame(QPainter& p, double inset, const QColor& color) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(color, 0.7), 6));
    p.drawRect(QRectF(inset, inset, kWidth - 2 * inset, kHeight - 2 * inset));
    p.setPen(QPen(withAlpha(color, 0.45), 3));
    p.drawRect(QRectF(inset + 24, inset + 24, kWidth - 2 * inset - 48, kHeight - 2 * inset - 48));
    p.restore();
}

// A beam of light falling from a top corner.
void beam(QPainter& p, QPointF from, double angleDeg, double length, double spreadDeg, const QColor& color) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    p.setPen(Qt::NoPen);
    const double a0 = (angleDeg - spreadDeg / 2) * kPi / 180;
    const double a1 = (angleDeg + spreadDeg / 2) * kPi / 180;
    QPainterPath wedge;
    wedge.moveTo(from);
    wedge.lineTo(from + QPointF(std::cos(a0) * length, std::sin(a0) * length));
    wedge.lineTo(from + QPointF(std::cos(a1) * length, std::sin(a1) * length));
    wedge.closeSubpath();
    QRadialGradient fade(from, length);
    fade.setColorAt(0.0, withAlpha(color, 0.22));
    fade.setColorAt(1.0, withAlpha(color, 0.0));
    p.setBrush(fade);
    p.drawPath(wedge);
    p.restore();
}

// A plum branch reaching in from a corner, with five-petalled blossoms and buds.
void plumBranch(QPainter& p, Random& random, QPointF root, double length, double angleDeg, bool mirrored) {
    p.save();
    p.translate(root);
    if (mirrored)
        p.scale(-1, 1);
    p.rotate(angleDeg);
    QPainterPath branch;
    branch.moveTo(0, 0);
    branch.cubicTo(length * 0.3, -length * 0.12, length * 0.55, length * 0.1, length, -length * 0.05);
    QPainterPath twig;
    twig.moveTo(length * 0.4, -length * 0.03);
    twig.cubicTo(length * 0.5, -length * 0.2, length * 0.6, -length * 0.25, length * 0.7, -length * 0.32);
    QPainterPath twig2;
    twig2.moveTo(length * 0.62, length * 0.02);
    twig2.cubicTo(length * 0.7, length * 0.12, length * 0.78, length * 0.16, length * 0.86, length * 0.2);
    p.setBrush(Qt::NoBrush);
    const QColor bark(58, 24, 30);
    p.setPen(QPen(bark, length * 0.028, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(branch);
    p.setPen(QPen(bark, length * 0.014, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(twig);
    p.drawPath(twig2);

    const QColor petal(255, 170, 196);
    for (const QPainterPath* path : {&branch, &twig, &twig2}) {
        const int blossoms = path == &branch ? 6 : 3;
        for (int i = 0; i < blossoms; ++i) {
            const QPointF at = path->pointAtPercent(random.range(0.2, 1.0));
            const double r = length * random.range(0.03, 0.055);
            if (random.unit() < 0.25) { // a bud
                p.setPen(Qt::NoPen);
                p.setBrush(petal.darker(115));
                p.drawEllipse(at, r * 0.35, r * 0.35);
                continue;
            }
            p.save();
            p.translate(at);
            p.rotate(random.range(0, 72));
            p.setPen(QPen(withAlpha(petal.darker(130), 0.9), r * 0.05));
            for (int k = 0; k < 5; ++k) {
                QRadialGradient shade(QPointF(0, -r * 0.55), r * 0.6);
                shade.setColorAt(0.0, petal.lighter(115));
                shade.setColorAt(1.0, petal);
                p.setBrush(shade);
                p.drawEllipse(QPointF(0, -r * 0.55), r * 0.42, r * 0.5);
                p.rotate(72);
            }
            p.setPen(Qt::NoPen);
            p.setBrush(kGold);
            for (int k = 0; k < 7; ++k) {
                const double a = 2 * kPi * k / 7;
                p.drawEllipse(QPointF(std::cos(a) * r * 0.22, std::sin(a) * r * 0.22), r * 0.05, r * 0.05);
            }
            p.restore();
        }
    }
    p.restore();
}

// ---- the four pictures -----------------------------------------------------------------------------------

void newYearOrnaments(QPainter& p, Random& random) {
    const QColor lanternRed(214, 30, 36);
    lantern(p, kWidth * 0.06, kHeight * 0.0, 380, lanternRed);
    lantern(p, kWidth * 0.145, kHeight * 0.03, 260, lanternRed);
    lantern(p, kWidth * 0.94, kHeight * 0.0, 380, lanternRed);
    lantern(p, kWidth * 0.855, kHeight * 0.03, 260, lanternRed);
    firework(p, random, kWidth * 0.22, kHeight * 0.12, 230, kPaleGold);
    firework(p, random, kWidth * 0.79, kHeight * 0.1, 190, QColor(255, 190, 120));
    firework(p, random, kWidth * 0.04, kHeight * 0.55, 160, kPaleGold);
    firework(p, random, kWidth * 0.965, kHeight * 0.6, 170, QColor(255, 200, 140));
    cloud(p, kWidth * 0.02, kHeight * 0.96, 420, false, 0.85);
    cloud(p, kWidth * 0.2, kHeight * 1.0, 300, false, 0.6);
    cloud(p, kWidth * 0.98, kHeight * 0.96, 420, true, 0.85);
    cloud(p, kWidth * 0.8, kHeight * 1.0, 300, true, 0.6);
}

void goldOrnaments(QPainter& p, Random& random) {
    beam(p, QPointF(0, 0), 35, kWidth * 0.55, 14, kGold);
    beam(p, QPointF(kWidth, 0), 145, kWidth * 0.55, 14, kGold);
    beam(p, QPointF(0, 0), 58, kWidth * 0.35, 8, kPaleGold);
    beam(p, QPointF(kWidth, 0), 122, kWidth * 0.35, 8, kPaleGold);
    frame(p, 40, kGold);
    cornerFan(p, 40, 40, 360, 0);
    cornerFan(p, kWidth - 40, 40, 360, 1);
    cornerFan(p, kWidth - 40, kHeight - 40, 360, 2);
    cornerFan(p, 40, kHeight - 40, 360, 3);
    for (int i = 0; i < 14; ++i) {
        const double x = random.unit() < 0.5 ? random.range(0.03, 0.14) : random.range(0.86, 0.97);
        sparkle(p, x * kWidth, random.range(0.05, 0.95) * kHeight, random.range(18, 40), kPaleGold);
    }
    starDust(p, random, 900, kPaleGold);
}

void starOrnaments(QPainter& p, Random& random) {
    starDust(p, random, 4200, QColor(220, 232, 255));
    const QColor starlight(200, 220, 255);
    for (int i = 0; i < 22; ++i) {
        const double x = random.unit() < 0.5 ? random.range(0.02, 0.14) : random.range(0.86, 0.98);
        sparkle(p, x * kWidth, random.range(0.04, 0.96) * kHeight, random.range(14, 46), starlight);
    }
    firework(p, random, kWidth * 0.1, kHeight * 0.16, 200, QColor(150, 200, 255));
    firework(p, random, kWidth * 0.91, kHeight * 0.82, 220, QColor(210, 180, 255));
}

void springOrnaments(QPainter& p, Random& random) {
    plumBranch(p, random, QPointF(0, kHeight * 0.06), kWidth * 0.36, 12, false);
    plumBranch(p, random, QPointF(kWidth, kHeight * 0.9), kWidth * 0.34, 8, true);
    plumBranch(p, random, QPointF(0, kHeight * 0.98), kWidth * 0.24, -18, false);
    lantern(p, kWidth * 0.93, 0, 260, QColor(224, 40, 70));
    for (int i = 0; i < 10; ++i) {
        const double x = random.unit() < 0.5 ? random.range(0.03, 0.18) : random.range(0.82, 0.97);
        sparkle(p, x * kWidth, random.range(0.1, 0.9) * kHeight, random.range(12, 30), QColor(255, 210, 225));
    }
}

std::vector<Theme> themes() {
    return {
        {"贺岁.jpg",
         2016,
         QColor(62, 4, 10),
         QColor(178, 18, 38),
         {QColor(255, 206, 110), QColor(255, 170, 80), QColor(255, 226, 160)},
         85,
         newYearOrnaments},
        {"金辉.jpg",
         888,
         QColor(16, 12, 8),
         QColor(92, 64, 20),
         {QColor(255, 210, 120), QColor(230, 170, 70), QColor(255, 240, 190)},
         80,
         goldOrnaments},
        {"星河.jpg",
         1969,
         QColor(6, 10, 32),
         QColor(34, 44, 120),
         {QColor(120, 170, 255), QColor(190, 150, 255), QColor(220, 235, 255)},
         95,
         starOrnaments},
        {"春红.jpg",
         328,
         QColor(48, 6, 28),
         QColor(150, 28, 80),
         {QColor(255, 160, 200), QColor(255, 200, 150), QColor(255, 225, 235)},
         75,
         springOrnaments},
    };
}

QImage paint(const Theme& theme) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    Random random(theme.seed);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintBase(p, theme);
    paintLights(p, theme, random);
    theme.ornaments(p, random);
    calmTheMiddle(p, 0.35);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvora_backgrounds <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "kelvora_backgrounds: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const Theme& theme : themes()) {
        const QString path = QDir(folder).filePath(QString::fromUtf8(theme.fileName));
        // JPEG has no alpha: flatten first so the writer does not have to guess.
        const QImage image = paint(theme).convertToFormat(QImage::Format_RGB32);
        QImageWriter writer(path, "jpeg");
        writer.setQuality(kJpegQuality);
        writer.setOptimizedWrite(true);
        if (!writer.write(image)) {
            std::fprintf(stderr, "kelvora_backgrounds: cannot write %s: %s\n", path.toLocal8Bit().constData(),
                         writer.errorString().toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
