#include "report/Emblem.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace report {

namespace {

// Drawn in the bitmap's own pixels: 95 wide, 100 high, y downwards.
constexpr int emblemWidth = 95;
constexpr int emblemHeight = 100;
constexpr QPointF centre(47.5, 43.0);

QColor grey(int level)
{
    return QColor(level, level, level);
}

QPointF polar(QPointF c, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {c.x() + radius * std::cos(a), c.y() + radius * std::sin(a)};
}

// A star of `points` tips, the first pointing straight up.
QPolygonF star(QPointF c, double outer, double inner, int points = 5, double turn = 0)
{
    QPolygonF p;
    for (int i = 0; i < points * 2; ++i)
        p << polar(c, i % 2 ? inner : outer, -90.0 + turn + i * 180.0 / points);
    return p;
}

void drawLeaf(QPainter& p, QPointF at, double angle, double length, double width, int level)
{
    p.save();
    p.translate(at);
    p.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.quadTo(length / 2, -width, length, 0);
    leaf.quadTo(length / 2, width, 0, 0);
    p.setPen(QPen(grey(55), 0.45));
    p.setBrush(grey(level));
    p.drawPath(leaf);
    p.restore();
}

// One branch of the wreath, from the bottom of the emblem up one side.
void drawBranch(QPainter& p, bool left)
{
    const double radius = 41.0;
    const QPointF c(centre.x(), centre.y() + 3.0);
    const auto stem = [&](double t) {
        // t = 0 at the bottom, growing up the side.
        const double a = 90.0 + (left ? t : -t);
        return polar(c, radius, a);
    };
    QPainterPath path;
    path.moveTo(stem(8));
    for (double t = 8; t <= 142; t += 4)
        path.lineTo(stem(t));
    p.setPen(QPen(grey(70), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);

    int i = 0;
    for (double t = 14; t <= 138; t += 9.5, ++i) {
        const QPointF at = stem(t);
        const double tangent = 90.0 + (left ? t : -t) + (left ? 90.0 : -90.0);
        const double lean = 38.0;
        // Leaves in pairs on both sides of the stem, leaning towards the tip.
        drawLeaf(p, at, tangent - lean, 6.5, 2.3, i % 2 ? 120 : 105);
        drawLeaf(p, at, tangent + lean, 6.5, 2.3, i % 2 ? 105 : 120);
    }
    // Berries on the one side, broad leaves' veins suggested by the pairs on the other.
    if (left) {
        p.setPen(QPen(grey(40), 0.4));
        p.setBrush(grey(75));
        for (double t = 30; t <= 130; t += 19)
            p.drawEllipse(polar(c, radius - 4.2, 90.0 + t), 1.3, 1.3);
    }
}

void drawSword(QPainter& p)
{
    const double x = centre.x();
    p.setPen(QPen(grey(50), 0.6));
    // Blade: its point shows above the star, the rest below it down to the guard.
    QPolygonF blade;
    blade << QPointF(x, 1.5) << QPointF(x + 1.9, 5.5) << QPointF(x + 1.9, 74.0)
          << QPointF(x - 1.9, 74.0) << QPointF(x - 1.9, 5.5);
    p.setBrush(grey(222));
    p.drawPolygon(blade);
    // Guard, grip and pommel.
    p.setBrush(grey(85));
    p.drawRoundedRect(QRectF(x - 8.0, 73.0, 16.0, 3.0), 1.2, 1.2);
    p.setBrush(grey(125));
    p.drawRect(QRectF(x - 1.4, 76.0, 2.8, 7.5));
    p.setBrush(grey(85));
    p.drawEllipse(QPointF(x, 85.0), 2.2, 2.2);
}

void drawRibbon(QPainter& p)
{
    p.setPen(QPen(grey(45), 0.6));
    // Folded ends first, the band over them.
    p.setBrush(grey(135));
    QPolygonF leftEnd;
    leftEnd << QPointF(9, 84) << QPointF(22, 86) << QPointF(22, 93) << QPointF(9, 91)
            << QPointF(13, 87.5);
    QPolygonF rightEnd = QTransform().translate(emblemWidth, 0).scale(-1, 1).map(leftEnd);
    p.drawPolygon(leftEnd);
    p.drawPolygon(rightEnd);

    QPainterPath band;
    band.moveTo(18, 85.0);
    band.quadTo(centre.x(), 91.0, 77, 85.0);
    band.lineTo(77, 91.5);
    band.quadTo(centre.x(), 97.5, 18, 91.5);
    band.closeSubpath();
    p.setBrush(grey(95));
    p.drawPath(band);
    // Lettering too small to read, suggested by a light rule.
    p.setPen(QPen(grey(190), 0.7, Qt::DotLine));
    QPainterPath letters;
    letters.moveTo(23, 88.6);
    letters.quadTo(centre.x(), 94.3, 72, 88.6);
    p.setBrush(Qt::NoBrush);
    p.drawPath(letters);
}

void drawStar(QPainter& p)
{
    const double outer = 35.5;
    const double inner = outer * 0.382;

    // Rays behind the star, between its arms.
    p.setPen(QPen(grey(150), 0.4));
    p.setBrush(grey(212));
    p.drawPolygon(star(centre, 31.0, 22.0, 20, 9.0));

    // The star, each arm in two facets, light and shade.
    const QPolygonF s = star(centre, outer, inner);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < s.size(); ++i) {
        QPolygonF facet;
        facet << centre << s[i] << s[(i + 1) % s.size()];
        p.setBrush(grey(i % 2 ? 150 : 178));
        p.drawPolygon(facet);
    }
    // Border inside the outline.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grey(235), 0.9));
    p.drawPolygon(star(centre, outer - 3.2, inner - 1.2));
    p.setPen(QPen(grey(40), 0.9));
    p.drawPolygon(s);
}

void drawCircle(QPainter& p)
{
    const double ring = 16.0;
    const double disc = 12.0;
    p.setPen(QPen(grey(35), 0.7));
    p.setBrush(grey(70));
    p.drawEllipse(centre, ring, ring);
    p.setPen(QPen(grey(200), 0.5));
    p.setBrush(grey(105));
    p.drawEllipse(centre, disc, disc);

    // The ring of small stars.
    p.setPen(Qt::NoPen);
    p.setBrush(grey(240));
    constexpr int count = 27;
    for (int i = 0; i < count; ++i) {
        const QPointF at = polar(centre, (ring + disc) / 2, -90.0 + i * 360.0 / count);
        p.drawPolygon(star(at, 1.35, 0.6));
    }
    // The cross of stars in the disc.
    const struct {
        double dx, dy, r;
    } cross[] = {
        {0, -7.0, 1.9}, {0, 7.0, 2.1}, {-6.0, -0.5, 1.7}, {5.5, -1.5, 1.6}, {2.5, 3.0, 1.1}};
    for (const auto& c : cross)
        p.drawPolygon(star(centre + QPointF(c.dx, c.dy), c.r, c.r * 0.42));
}

QImage drawEmblem()
{
    QImage image(emblemWidth, emblemHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    drawBranch(p, true);
    drawBranch(p, false);
    drawSword(p);
    drawStar(p);
    drawCircle(p);
    drawRibbon(p);
    p.end();
    return image;
}

} // namespace

const QImage& emblemImage()
{
    static const QImage image = drawEmblem();
    return image;
}

} // namespace report
