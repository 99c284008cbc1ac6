#include "preview/PreviewPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(32, 32, 32);
const QColor kPaper(255, 255, 255);
const QColor kText(120, 120, 140);
const QColor kArrow(0, 96, 192);
const QColor kGlass(190, 225, 255);
const QColor kRed(204, 0, 0);

// A sheet with a folded corner and lines of text, in the 16-unit grid.
void drawPage(QPainter& p, QRectF r)
{
    const double fold = r.width() * 0.35;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    p.setPen(QPen(kText, 0.8));
    for (double y = r.top() + fold + 1.5; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
}

void drawArrow(QPainter& p, QPointF tail, QPointF head)
{
    p.setPen(QPen(kArrow, 2, Qt::SolidLine, Qt::FlatCap));
    const double dir = head.x() > tail.x() ? 1 : -1;
    p.drawLine(tail, head - QPointF(dir * 2, 0));
    QPainterPath tip;
    tip.moveTo(head);
    tip.lineTo(head - QPointF(dir * 3.5, 3.5));
    tip.lineTo(head - QPointF(dir * 3.5, -3.5));
    tip.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawPath(tip);
}

// A bar that marks an end, beside the page.
void drawEndBar(QPainter& p, double x)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawRect(QRectF(x, 4, 2, 9));
}

void drawMagnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kGlass);
    p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

void drawPrinter(QPainter& p)
{
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5)); // paper going in
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(1.5, 6.5, 13, 6)); // body
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4)); // paper coming out
    p.setPen(QPen(QColor(0, 160, 0), 1.2));
    p.drawPoint(QPointF(12.5, 8.5)); // power light
}

void drawSetupMarks(QPainter& p)
{
    // A small spanner over the printer's corner.
    p.setPen(QPen(QColor(90, 60, 20), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 14.5), QPointF(14.5, 9.5));
    p.setPen(QPen(QColor(90, 60, 20), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(12, 6.5, 4, 4), 200 * 16, 250 * 16);
}

void drawProhibition(QPainter& p)
{
    p.setPen(QPen(kRed, 2.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
    p.drawLine(QPointF(3.8, 3.8), QPointF(12.2, 12.2));
}

} // namespace

QImage previewPictureImage(int index, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    switch (index) {
    case 0: // first page
        drawPage(p, QRectF(5.5, 1.5, 9, 13));
        drawEndBar(p, 1.5);
        break;
    case 1: // next page: a page with an arrow to the right
        drawPage(p, QRectF(1.5, 1.5, 9, 13));
        drawArrow(p, QPointF(6, 10), QPointF(15.5, 10));
        break;
    case 2: // previous page: an arrow to the left with a page
        drawPage(p, QRectF(5.5, 1.5, 9, 13));
        drawArrow(p, QPointF(10, 10), QPointF(0.5, 10));
        break;
    case 3: // last page
        drawPage(p, QRectF(1.5, 1.5, 9, 13));
        drawEndBar(p, 12.5);
        break;
    case 4:
        drawMagnifier(p, true);
        break;
    case 5:
        drawMagnifier(p, false);
        break;
    case 6:
        drawPrinter(p);
        break;
    case 7:
        drawPrinter(p);
        drawSetupMarks(p);
        break;
    case 8:
        drawProhibition(p);
        break;
    default:
        break;
    }
    return image;
}

QIcon previewPicture(int index)
{
    QIcon icon;
    for (int size : {16, 32}) {
        const QImage normal = previewPictureImage(index, size);
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Active);
        // The disabled list: the same picture in light grey.
        QImage grey = normal.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < grey.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                const int g = 128 + qGray(line[x]) / 2;
                line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
            }
        }
        icon.addPixmap(QPixmap::fromImage(grey), QIcon::Disabled);
    }
    return icon;
}
