#include "app/ProgramPicture.h"

#include <QPainter>
#include <QVector>

namespace {

// The 16 colours of the classic palette.
const QVector<QRgb> kPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

} // namespace

QImage programPicture()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(kPalette[7]);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The statement: a sheet with a navy title band and lines of figures.
    p.setPen(QColor(kPalette[0]));
    p.setBrush(QColor(kPalette[15]));
    p.drawRect(4, 2, 19, 26);
    p.fillRect(6, 4, 16, 4, QColor(kPalette[4]));
    p.setPen(QColor(kPalette[8]));
    for (int y = 11; y <= 25; y += 3) {
        p.drawLine(6, y, 14, y);
        p.drawLine(17, y, 21, y);
    }
    // A coin on its corner.
    p.setPen(QColor(kPalette[3]));
    p.setBrush(QColor(kPalette[11]));
    p.drawEllipse(16, 17, 13, 13);
    p.setPen(QColor(kPalette[1]));
    p.drawLine(22, 19, 22, 28);
    p.drawLine(20, 21, 24, 21);
    p.drawLine(20, 21, 20, 23);
    p.drawLine(20, 23, 24, 23);
    p.drawLine(24, 23, 24, 26);
    p.drawLine(20, 26, 24, 26);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, kPalette, Qt::ThresholdDither);
}
