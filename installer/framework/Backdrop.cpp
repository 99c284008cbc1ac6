#include "installer/framework/Backdrop.h"

#include <QLinearGradient>
#include <QPainter>

TBackdrop::TBackdrop(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBackdrop::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF area = rect();
    QLinearGradient gradient;
    switch (Direction) {
    case bdHorizontal:
        gradient = QLinearGradient(area.topLeft(), area.bottomLeft());
        gradient.setColorAt(0, StartColor);
        gradient.setColorAt(1, EndColor);
        break;
    case bdVertical:
        gradient = QLinearGradient(area.topLeft(), area.topRight());
        gradient.setColorAt(0, StartColor);
        gradient.setColorAt(1, EndColor);
        break;
    case bdVertOut:
        gradient = QLinearGradient(area.topLeft(), area.topRight());
        gradient.setColorAt(0, EndColor);
        gradient.setColorAt(0.5, StartColor);
        gradient.setColorAt(1, EndColor);
        break;
    }
    painter.fillRect(area, gradient);
}
