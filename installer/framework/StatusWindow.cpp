#include "installer/framework/StatusWindow.h"

#include "ui_StatusWindow.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

StatusWindow::StatusWindow(QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_ui(std::make_unique<Ui::StatusWindow>())
{
    m_ui->setupUi(this);
    setAutoFillBackground(true);
    m_ui->StatusIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
}

StatusWindow::~StatusWindow() = default;

void StatusWindow::showStatus(const QString& text)
{
    m_ui->StatusText->setText(text);
    adjustSize();
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + area.height() / 3);
    show();
    // The run is busy on this thread until the status changes: draw the box now.
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString StatusWindow::text() const
{
    return m_ui->StatusText->text();
}
