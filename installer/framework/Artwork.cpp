#include "installer/framework/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

void drawGlobe(QPainter& p, QPointF centre, qreal radius)
{
    QRadialGradient sea(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    sea.setColorAt(0, QColor(140, 200, 255));
    sea.setColorAt(1, QColor(10, 60, 160));
    p.setPen(QPen(QColor(5, 30, 90), 1.2));
    p.setBrush(sea);
    p.drawEllipse(centre, radius, radius);

    // Land, clipped to the sphere.
    QPainterPath sphere;
    sphere.addEllipse(centre, radius, radius);
    p.save();
    p.setClipPath(sphere);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 70));
    QPainterPath land;
    land.moveTo(centre + QPointF(-radius * 0.7, -radius * 0.5));
    land.cubicTo(centre + QPointF(-radius * 0.2, -radius * 0.9), centre + QPointF(0, -radius * 0.3),
                 centre + QPointF(-radius * 0.2, 0));
    land.cubicTo(centre + QPointF(-radius * 0.4, radius * 0.3),
                 centre + QPointF(-radius * 0.1, radius * 0.8),
                 centre + QPointF(-radius * 0.5, radius * 0.7));
    land.cubicTo(centre + QPointF(-radius * 0.9, radius * 0.3),
                 centre + QPointF(-radius, -radius * 0.2),
                 centre + QPointF(-radius * 0.7, -radius * 0.5));
    p.drawPath(land);
    QPainterPath east;
    east.moveTo(centre + QPointF(radius * 0.2, -radius * 0.7));
    east.cubicTo(centre + QPointF(radius * 0.8, -radius * 0.6), centre + QPointF(radius * 0.9, 0),
                 centre + QPointF(radius * 0.5, radius * 0.2));
    east.cubicTo(centre + QPointF(radius * 0.3, radius * 0.5), centre + QPointF(radius * 0.1, 0),
                 centre + QPointF(radius * 0.2, -radius * 0.7));
    p.drawPath(east);
    p.restore();

    // Meridians and parallels.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 235, 255, 150), 0.8));
    for (qreal f : {0.35, 0.7})
        p.drawEllipse(centre, radius * f, radius);
    p.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));
    for (qreal f : {-0.5, 0.0, 0.5}) {
        const qreal half = radius * std::sqrt(1 - f * f);
        p.drawLine(centre + QPointF(-half, f * radius), centre + QPointF(half, f * radius));
    }
    // Shine.
    QRadialGradient shine(centre - QPointF(radius * 0.4, radius * 0.45), radius * 0.5);
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(centre, radius, radius);
}

void drawComputer(QPainter& p, QRectF monitor)
{
    // Monitor.
    QLinearGradient bezel(monitor.topLeft(), monitor.bottomRight());
    bezel.setColorAt(0, QColor(235, 235, 225));
    bezel.setColorAt(1, QColor(165, 165, 155));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(bezel);
    p.drawRoundedRect(monitor, 4, 4);
    const QRectF screen = monitor.adjusted(6, 6, -6, -12);
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0, QColor(40, 90, 200));
    glass.setColorAt(1, QColor(10, 25, 90));
    p.setBrush(glass);
    p.drawRect(screen);
    p.setPen(QPen(QColor(200, 220, 255, 170), 1.5));
    for (int i = 0; i < 3; ++i)
        p.drawLine(screen.topLeft() + QPointF(5, 8 + i * 9),
                   screen.topLeft() + QPointF(screen.width() - 12 - i * 8, 8 + i * 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 200, 80));
    p.drawEllipse(QPointF(monitor.right() - 9, monitor.bottom() - 6), 2, 2);

    // Stand and case with keyboard.
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(190, 190, 180));
    const QPointF foot = QPointF(monitor.center().x(), monitor.bottom());
    p.drawRect(QRectF(foot.x() - 10, foot.y(), 20, 6));
    const QRectF box(monitor.left() - 8, foot.y() + 6, monitor.width() + 16, 16);
    p.setBrush(bezel);
    p.drawRoundedRect(box, 2, 2);
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(QRectF(box.left() + 8, box.top() + 6, 30, 3));
    const QRectF keys(box.left() - 2, box.bottom() + 4, box.width() + 4, 12);
    p.setBrush(QColor(215, 215, 205));
    p.drawRoundedRect(keys, 2, 2);
    p.setPen(QPen(QColor(120, 120, 115), 1));
    for (qreal x = keys.left() + 5; x < keys.right() - 4; x += 6)
        p.drawLine(QPointF(x, keys.top() + 4), QPointF(x + 3, keys.top() + 4));
    for (qreal x = keys.left() + 8; x < keys.right() - 6; x += 6)
        p.drawLine(QPointF(x, keys.top() + 8), QPointF(x + 3, keys.top() + 8));
}

void drawDiskette(QPainter& p, QRectF r, QColor colour)
{
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(colour);
    QPainterPath body;
    body.moveTo(r.topLeft());
    body.lineTo(r.topRight() - QPointF(4, 0));
    body.lineTo(r.topRight() + QPointF(0, 4));
    body.lineTo(r.bottomRight());
    body.lineTo(r.bottomLeft());
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.45, r.height() * 0.32));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(
        QRectF(r.left() + r.width() * 0.52, r.top() + 2, r.width() * 0.1, r.height() * 0.24));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(QRectF(r.left() + 4, r.top() + r.height() * 0.45, r.width() - 8, r.height() * 0.5));
    p.setPen(QPen(QColor(90, 90, 160), 0.8));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = r.top() + r.height() * 0.45 + i * r.height() * 0.12;
        p.drawLine(QPointF(r.left() + 7, y), QPointF(r.right() - 7, y));
    }
}

void drawDisc(QPainter& p, QPointF centre, qreal radius)
{
    QConicalGradient rainbow(centre, 30);
    rainbow.setColorAt(0.0, QColor(230, 230, 240));
    rainbow.setColorAt(0.2, QColor(200, 170, 230));
    rainbow.setColorAt(0.4, QColor(170, 230, 210));
    rainbow.setColorAt(0.6, QColor(240, 240, 190));
    rainbow.setColorAt(0.8, QColor(180, 200, 240));
    rainbow.setColorAt(1.0, QColor(230, 230, 240));
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(rainbow);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(QColor(0, 110, 110));
    p.drawEllipse(centre, radius * 0.22, radius * 0.22);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawEllipse(centre, radius * 0.4, radius * 0.4);
}

} // namespace

QImage pagePicture()
{
    QImage image(117, 290, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 290);
    ground.setColorAt(0, QColor(0, 140, 140));
    ground.setColorAt(1, QColor(0, 90, 95));
    p.fillRect(image.rect(), ground);

    drawGlobe(p, QPointF(58, 62), 36);
    drawComputer(p, QRectF(20, 120, 77, 58));
    drawDisc(p, QPointF(84, 252), 21);
    drawDiskette(p, QRectF(12, 236, 30, 31), QColor(40, 40, 45));
    drawDiskette(p, QRectF(30, 246, 30, 31), QColor(30, 60, 140));
    return image;
}

QImage programIcon(ProgramIcon icon)
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A statement: a sheet with lines and a table, its corner folded.
    QPainterPath sheet;
    sheet.moveTo(12, 4);
    sheet.lineTo(42, 4);
    sheet.lineTo(54, 16);
    sheet.lineTo(54, 60);
    sheet.lineTo(12, 60);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(70, 70, 80), 1.5));
    p.setBrush(QColor(252, 252, 248));
    p.drawPath(sheet);
    p.setBrush(QColor(215, 215, 210));
    p.drawPolygon(QPolygonF({QPointF(42, 4), QPointF(42, 16), QPointF(54, 16)}));
    p.setPen(QPen(QColor(30, 80, 160), 2));
    p.drawLine(18, 14, 36, 14);
    p.setPen(QPen(QColor(120, 120, 130), 1.2));
    for (int y = 24; y <= 52; y += 7) {
        p.drawLine(18, y, 48, y);
    }
    p.drawLine(38, 22, 38, 54);
    if (icon == ProgramIcon::Statements) {
        p.setPen(QPen(QColor(0, 120, 70), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(44, 47), 9, 9);
        p.drawLine(QPointF(40, 47), QPointF(43, 50));
        p.drawLine(QPointF(43, 50), QPointF(49, 43));
    } else {
        // Crossed out in red.
        p.setPen(QPen(QColor(200, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(34, 34), QPointF(58, 58));
        p.drawLine(QPointF(58, 34), QPointF(34, 58));
    }
    return image;
}
