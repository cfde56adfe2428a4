// The icon is a short list of filled paths in a 256-unit square. Painting scales that list; the SVG is the
// same list written out element by element, which is why only fills, linear and radial gradients appear here:
// each has an exact counterpart in SVG, and nothing (text, filters, strokes of hairline width) depends on the
// renderer or vanishes at 48 pixels.

#include "media/app_icon.h"

#include <QBrush>
#include <QColor>
#include <QGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <numbers>
#include <vector>

namespace kelvora {
namespace {

constexpr double kSide = 256;

// The ticket in its own upright frame, centred on the origin. The stub on the right is marked off by the
// perforation; the star sits in the middle of the rest.
constexpr double kTicketHalfWidth = 94;
constexpr double kTicketHalfHeight = 58;
constexpr double kTicketCorner = 14;
constexpr double kNotchRadius = 19;
constexpr double kPerforationX = 48;
constexpr double kStarX = -22;
constexpr double kStarRadius = 47;
// The ratio of a regular five-pointed star's inner to outer radius: its edges run straight from point to
// point.
constexpr double kStarInnerRatio = 0.381966;
constexpr double kTilt = -12;

struct Shape {
    QPainterPath path;
    QBrush brush;
};

// A rounded rectangle with a semicircle bitten out of the middle of each short side. Drawn as one outline
// rather than by subtracting circles: Qt's boolean operations flatten curves into many short lines.
QPainterPath ticketOutline() {
    const double w = kTicketHalfWidth;
    const double h = kTicketHalfHeight;
    const double r = kTicketCorner;
    const double n = kNotchRadius;
    QPainterPath path;
    path.moveTo(-w + r, -h);
    path.lineTo(w - r, -h);
    path.arcTo(w - 2 * r, -h, 2 * r, 2 * r, 90, -90);
    path.lineTo(w, -n);
    path.arcTo(w - n, -n, 2 * n, 2 * n, 90, 180);
    path.lineTo(w, h - r);
    path.arcTo(w - 2 * r, h - 2 * r, 2 * r, 2 * r, 0, -90);
    path.lineTo(-w + r, h);
    path.arcTo(-w, h - 2 * r, 2 * r, 2 * r, 270, -90);
    path.lineTo(-w, n);
    path.arcTo(-w - n, -n, 2 * n, 2 * n, 270, 180);
    path.lineTo(-w, -h + r);
    path.arcTo(-w, -h, 2 * r, 2 * r, 180, -90);
    path.closeSubpath();
    return path;
}

// Three short bars across the ticket: a dotted line of hairlines would blur away at taskbar size.
QPainterPath perforation() {
    QPainterPath path;
    for (const double y : {-36.0, -9.0, 18.0})
        path.addRoundedRect(kPerforationX - 3.5, y, 7, 18, 3.5, 3.5);
    return path;
}

// Pointing up in the ticket's frame, so it tilts with the ticket.
QPainterPath star(QPointF centre, double radius) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? radius : radius * kStarInnerRatio;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

QLinearGradient linear(QPointF from, QPointF to, const QGradientStops& stops) {
    QLinearGradient gradient(from, to);
    gradient.setStops(stops);
    return gradient;
}

std::vector<Shape> iconShapes() {
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 52, 52);
    // Lit from above, darkening to the edge: the red and gold of the default festive background.
    QRadialGradient tileFill(QPointF(128, 92), 190, QPointF(128, 92));
    tileFill.setStops({{0, QColor(236, 62, 48)}, {0.55, QColor(184, 20, 32)}, {1, QColor(112, 6, 16)}});

    QTransform place;
    place.translate(kSide / 2, kSide / 2 + 2);
    place.rotate(kTilt);
    const QPainterPath ticket = place.map(ticketOutline());
    // A hard-edged shadow lifts the ticket off the tile without a blur filter.
    const QPainterPath shadow = ticket.translated(3, 8);
    const QLinearGradient gold =
        linear(QPointF(64, 70), QPointF(192, 190),
               {{0, QColor(255, 240, 170)}, {0.45, QColor(250, 204, 82)}, {1, QColor(222, 150, 36)}});
    const QLinearGradient red =
        linear(QPointF(96, 84), QPointF(128, 176), {{0, QColor(226, 36, 40)}, {1, QColor(164, 10, 22)}});

    return {
        {tile, QBrush(tileFill)},
        {shadow, QBrush(QColor(40, 0, 4, 96))},
        {ticket, QBrush(gold)},
        {place.map(perforation()), QBrush(QColor(176, 102, 20))},
        {place.map(star(QPointF(kStarX, 0), kStarRadius)), QBrush(red)},
    };
}

// At most two decimals, without trailing zeros or a negative zero.
QByteArray svgNumber(double value) {
    QByteArray text = QByteArray::number(std::round(value * 100) / 100, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray svgPoint(double x, double y) {
    return svgNumber(x) + ' ' + svgNumber(y);
}

QByteArray svgColour(const QColor& colour) {
    return colour.name(QColor::HexRgb).toLatin1();
}

// QPainterPath keeps no close element: a subpath that ends where it began is closed.
QByteArray svgPathData(const QPainterPath& path) {
    QByteArray data;
    QPointF start;
    const auto closeIfBack = [&](int lastIndex) {
        const QPainterPath::Element& last = path.elementAt(lastIndex);
        if (QPointF(last.x, last.y) == start)
            data += 'Z';
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (i > 0)
                closeIfBack(i - 1);
            start = QPointF(e.x, e.y);
            data += 'M' + svgPoint(e.x, e.y);
        } else if (e.isLineTo()) {
            data += 'L' + svgPoint(e.x, e.y);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPainterPath::Element& c2 = path.elementAt(i + 1);
            const QPainterPath::Element& end = path.elementAt(i + 2);
            data += 'C' + svgPoint(e.x, e.y) + ' ' + svgPoint(c2.x, c2.y) + ' ' + svgPoint(end.x, end.y);
            i += 2;
        }
    }
    if (path.elementCount() > 0)
        closeIfBack(path.elementCount() - 1);
    return data;
}

QByteArray svgStops(const QGradient& gradient) {
    QByteArray text;
    for (const QGradientStop& stop : gradient.stops()) {
        text += "<stop offset=\"" + svgNumber(stop.first) + "\" stop-color=\"" + svgColour(stop.second) + '"';
        if (stop.second.alpha() != 255)
            text += " stop-opacity=\"" + svgNumber(stop.second.alphaF()) + '"';
        text += "/>";
    }
    return text;
}

// The gradient's element for <defs>, in user space so that it lies where the painter put it.
QByteArray svgGradient(const QGradient& gradient, const QByteArray& id) {
    const QByteArray head = " id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" ";
    if (gradient.type() == QGradient::RadialGradient) {
        const auto& radial = static_cast<const QRadialGradient&>(gradient);
        return "  <radialGradient" + head + "cx=\"" + svgNumber(radial.center().x()) + "\" cy=\"" +
               svgNumber(radial.center().y()) + "\" r=\"" + svgNumber(radial.radius()) + "\" fx=\"" +
               svgNumber(radial.focalPoint().x()) + "\" fy=\"" + svgNumber(radial.focalPoint().y()) + "\">" +
               svgStops(gradient) + "</radialGradient>\n";
    }
    const auto& linear = static_cast<const QLinearGradient&>(gradient);
    return "  <linearGradient" + head + "x1=\"" + svgNumber(linear.start().x()) + "\" y1=\"" +
           svgNumber(linear.start().y()) + "\" x2=\"" + svgNumber(linear.finalStop().x()) + "\" y2=\"" +
           svgNumber(linear.finalStop().y()) + "\">" + svgStops(gradient) + "</linearGradient>\n";
}

} // namespace

QImage paintAppIcon(int size) {
    if (size < 1)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kSide, size / kSide);
    for (const Shape& shape : iconShapes())
        painter.fillPath(shape.path, shape.brush);
    painter.end();
    return image;
}

QByteArray appIconSvg() {
    QByteArray defs;
    QByteArray paths;
    int gradients = 0;
    for (const Shape& shape : iconShapes()) {
        QByteArray fill;
        if (const QGradient* gradient = shape.brush.gradient()) {
            const QByteArray id = "g" + QByteArray::number(gradients++);
            defs += svgGradient(*gradient, id);
            fill = "url(#" + id + ")\"";
        } else {
            const QColor colour = shape.brush.color();
            fill = svgColour(colour) + '"';
            if (colour.alpha() != 255)
                fill += " fill-opacity=\"" + svgNumber(colour.alphaF()) + '"';
        }
        const char* rule = shape.path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
        paths += "  <path d=\"" + svgPathData(shape.path) + "\" fill=\"" + fill + " fill-rule=\"" + rule +
                 "\"/>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
           " <defs>\n" +
           defs + " </defs>\n" + paths + "</svg>\n";
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(paintAppIcon(size)));
    return icon;
}

} // namespace kelvora
