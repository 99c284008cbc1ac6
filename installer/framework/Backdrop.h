#pragma once

#include <QColor>
#include <QWidget>

enum TBackdropDirection {
    bdHorizontal, // StartColor at the top, EndColor at the bottom
    bdVertical,   // StartColor at the left, EndColor at the right
    bdVertOut,    // EndColor at the left and right edges, StartColor in the middle
};

// A gradient that fills its parent's client area behind the installer's windows.
class TBackdrop : public QWidget {
    Q_OBJECT
public:
    explicit TBackdrop(QWidget* parent = nullptr);

    QColor StartColor = Qt::lightGray;
    QColor EndColor = Qt::blue;
    TBackdropDirection Direction = bdVertOut;

protected:
    void paintEvent(QPaintEvent* event) override;
};
