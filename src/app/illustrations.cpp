#include "app/illustrations.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace kelvora {

namespace {

const QColor kInk(40, 40, 48);
const QColor kPaper(250, 250, 246);
const QColor kDrawRed(230, 0, 0);
const QColor kGold(255, 214, 90);
const QColor kHighlight(255, 170, 40);

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(kPaper);
    return image;
}

void label(QPainter& p, const QRectF& rect, const QString& text, int pixelSize, const QColor& color,
           bool bold = false, int flags = Qt::AlignCenter) {
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(color);
    p.drawText(rect, flags, text);
}

// A small draw screen: red field with a title bar of gold, as the audience sees it.
void miniDrawScreen(QPainter& p, const QRectF& screen) {
    QLinearGradient fill(screen.topLeft(), screen.bottomLeft());
    fill.setColorAt(0, kDrawRed.lighter(115));
    fill.setColorAt(1, kDrawRed.darker(120));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRect(screen);
    p.setBrush(kGold);
    const qreal w = screen.width();
    const qreal h = screen.height();
    p.drawRoundedRect(QRectF(screen.left() + w * 0.2, screen.top() + h * 0.12, w * 0.6, h * 0.1), 3, 3);
    p.setBrush(kGold.lighter(120));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            p.drawRoundedRect(QRectF(screen.left() + w * (0.14 + col * 0.26),
                                     screen.top() + h * (0.42 + row * 0.22), w * 0.2, h * 0.12),
                              2, 2);
        }
    }
}

void monitor(QPainter& p, const QRectF& outer) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(outer, 8, 8);
    const QPointF foot(outer.center().x(), outer.bottom());
    p.drawRect(QRectF(foot.x() - 10, foot.y(), 20, 16));
    p.drawRoundedRect(QRectF(foot.x() - 44, foot.y() + 14, 88, 8), 4, 4);
}

void key(QPainter& p, const QRectF& rect, const QString& text, bool highlighted) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(highlighted ? kHighlight : QColor(235, 235, 230));
    p.drawRoundedRect(rect, 4, 4);
    label(p, rect, text, static_cast<int>(rect.height() * 0.42), kInk, highlighted);
}

} // namespace

QImage remoteIllustration() {
    QImage image = canvas(440, 230);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The screen the remote points at.
    const QRectF screenOuter(250, 24, 170, 112);
    monitor(p, screenOuter);
    miniDrawScreen(p, screenOuter.adjusted(8, 8, -8, -8));

    // The remote, lying at an angle and pointing to the screen.
    p.save();
    p.translate(120, 120);
    p.rotate(-18);
    QLinearGradient body(QPointF(-90, 0), QPointF(90, 0));
    body.setColorAt(0, QColor(70, 70, 80));
    body.setColorAt(1, QColor(30, 30, 36));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(-95, -26, 190, 52), 26, 26);
    p.setBrush(QColor(255, 60, 60));
    p.drawEllipse(QPointF(82, 0), 5, 5); // the laser window at the tip
    key(p, QRectF(-30, -18, 44, 36), QStringLiteral("▼"), true);
    key(p, QRectF(-80, -18, 44, 36), QStringLiteral("▲"), false);
    p.setBrush(QColor(90, 90, 100));
    p.drawEllipse(QPointF(40, 0), 10, 10);
    p.restore();

    // The signal towards the screen.
    p.setPen(QPen(kHighlight, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal r = 14 + i * 12;
        p.drawArc(QRectF(QPointF(205 - r, 86 - r), QSizeF(2 * r, 2 * r)), -50 * 16, 70 * 16);
    }
    label(p, QRectF(10, 186, 420, 36), QStringLiteral("翻页键 ▼ (PgDn) = 空格：开始 / 停止 / 下一奖项"), 16,
          kInk);
    return image;
}

QImage touchIllustration() {
    QImage image = canvas(440, 230);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF outer(110, 14, 220, 146);
    monitor(p, outer);
    const QRectF screen = outer.adjusted(10, 10, -10, -10);
    miniDrawScreen(p, screen);

    // Two ripples where the finger taps.
    const QPointF tap(screen.center().x() + 30, screen.center().y() + 14);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 230 - i * 80), 3));
        p.drawEllipse(tap, 12 + i * 10, 12 + i * 10);
    }

    // A fingertip coming from below right.
    QPainterPath finger;
    finger.moveTo(tap + QPointF(-8, 4));
    finger.cubicTo(tap + QPointF(-10, -14), tap + QPointF(12, -14), tap + QPointF(10, 4));
    finger.lineTo(tap + QPointF(34, 58));
    finger.lineTo(tap + QPointF(12, 66));
    finger.closeSubpath();
    p.setPen(QPen(QColor(150, 100, 70), 2));
    p.setBrush(QColor(245, 205, 170));
    p.drawPath(finger);

    label(p, QRectF(10, 186, 420, 36), QStringLiteral("在屏幕上双击 = 空格：开始 / 停止 / 下一奖项"), 16,
          kInk);
    return image;
}

QImage doubleKeysIllustration() {
    QImage image = canvas(520, 230);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Keyboard body.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 196));
    p.drawRoundedRect(QRectF(10, 16, 500, 150), 12, 12);

    const qreal keyW = 30;
    const qreal gap = 4;
    qreal x = 22;
    key(p, QRectF(x, 28, 34, 30), QStringLiteral("Esc"), false);
    x += 34 + 14;
    for (int f = 1; f <= 12; ++f) {
        // F8 is the one function key without a command.
        key(p, QRectF(x, 28, keyW, 30), QStringLiteral("F%1").arg(f), f != 8);
        x += keyW + gap;
        if (f % 4 == 0)
            x += 8;
    }
    // A row of letters to make it read as a keyboard.
    x = 22;
    const QString letters = QStringLiteral("ASDFGHJKL");
    key(p, QRectF(x, 74, 50, 30), QStringLiteral("Caps"), false);
    x += 54;
    for (QChar c : letters) {
        key(p, QRectF(x, 74, 34, 30), QString(c), c == u'F');
        x += 34 + gap;
    }
    key(p, QRectF(22, 120, 62, 34), QStringLiteral("Ctrl"), true);
    key(p, QRectF(88, 120, 44, 34), QStringLiteral("Alt"), false);
    key(p, QRectF(136, 120, 240, 34), QStringLiteral("空格"), false);
    key(p, QRectF(380, 120, 44, 34), QStringLiteral("Alt"), false);
    key(p, QRectF(428, 120, 70, 34), QStringLiteral("Ctrl"), true);

    label(p, QRectF(10, 176, 500, 48),
          QStringLiteral("F2 与 Ctrl+F2 效果相同：按键被其它软件占用时，换用 Ctrl 组合"), 15, kInk);
    return image;
}

QImage windowedIllustration() {
    QImage image = canvas(200, 140);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(14, 8, 172, 104);
    monitor(p, outer);
    const QRectF desktop = outer.adjusted(7, 7, -7, -7);
    p.setBrush(QColor(90, 130, 170));
    p.drawRect(desktop);
    const QRectF window(desktop.left() + 30, desktop.top() + 16, desktop.width() * 0.55,
                        desktop.height() * 0.55);
    miniDrawScreen(p, window);
    // Guides from the screen's edges to the window's corner: its x and y.
    p.setPen(QPen(kGold, 2, Qt::DashLine));
    p.drawLine(QPointF(desktop.left(), window.top()), window.topLeft());
    p.drawLine(QPointF(window.left(), desktop.top()), window.topLeft());
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        QLinearGradient red(QPointF(0, 0), QPointF(0, s));
        red.setColorAt(0, kDrawRed.lighter(120));
        red.setColorAt(1, kDrawRed.darker(130));
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
        // A golden raffle ball with a star: the drawn winner.
        p.setBrush(kGold);
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.34, s * 0.34);
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = (i % 2 == 0) ? s * 0.24 : s * 0.1;
            const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            const QPointF pt(s / 2 + r * std::cos(a), s / 2 + r * std::sin(a));
            if (i == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        p.setBrush(kDrawRed);
        p.drawPath(star);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace kelvora
