#include "preview/QRPreview.h"

#include "report/engine/PageRenderer.h"
#include "report/engine/PageStore.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr double kScreenDpi = 96;
constexpr int kMargin = 10;   // grey around the paper
constexpr int kNotch = 120;   // one step of a wheel, in eighths of a degree
constexpr int kClickSlop = 4; // a press and release this close are a click
const QColor kBackground(128, 128, 128);

} // namespace

TQRPreview::TQRPreview(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    viewport()->setAutoFillBackground(false);
    layoutPage();
}

TQRPreview::~TQRPreview()
{
    setQRPrinter(nullptr);
}

void TQRPreview::setQRPrinter(report::PageStore* store)
{
    if (store == m_store)
        return;
    if (m_store) {
        disconnect(m_store, nullptr, this, nullptr);
        report::PageStore* old = m_store;
        m_store = nullptr;
        old->setPreviewed(false);
    }
    m_store = store;
    m_page = 1;
    m_lastProgress = -1;
    if (m_store) {
        connect(m_store, &report::PageStore::pageAvailable, this, &TQRPreview::onPageAvailable);
        connect(m_store, &report::PageStore::progressChanged, this, &TQRPreview::onProgress);
        m_store->setPreviewed(true);
    }
    layoutPage();
    viewport()->update();
}

QSize TQRPreview::pageExtent() const
{
    // Letter when nothing is bound, so that the layout does not jump on binding.
    const double width =
        m_store && m_store->pageWidth() > 0 ? m_store->pageWidth() : 8.5 * report::lengthPerInch;
    const double height =
        m_store && m_store->pageHeight() > 0 ? m_store->pageHeight() : 11 * report::lengthPerInch;
    const double dpi = kScreenDpi * m_zoom / 100.0;
    return {int(std::lround(report::toPixels(width, dpi))),
            int(std::lround(report::toPixels(height, dpi)))};
}

void TQRPreview::setPageNumber(int page)
{
    if (!m_store || page < 1 || page > m_store->pageCount())
        return;
    if (page != m_page) {
        m_page = page;
        verticalScrollBar()->setValue(0);
    }
    viewport()->update();
}

void TQRPreview::setZoom(int percent)
{
    if (percent < 2 || percent > 2000 || percent == m_zoom)
        return;
    // Keep the point at the centre of the view where it is on the paper.
    const auto keep = [](QScrollBar* bar, int viewSize, double factor) {
        const double centre = bar->value() + viewSize / 2.0;
        return int(std::lround(centre * factor - viewSize / 2.0));
    };
    const double factor = double(percent) / m_zoom;
    const int h = keep(horizontalScrollBar(), viewport()->width(), factor);
    const int v = keep(verticalScrollBar(), viewport()->height(), factor);
    m_zoom = percent;
    layoutPage();
    horizontalScrollBar()->setValue(h);
    verticalScrollBar()->setValue(v);
    viewport()->update();
}

void TQRPreview::layoutPage()
{
    const QSize page = pageExtent() + QSize(2 * kMargin, 2 * kMargin);
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, page.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, page.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
}

QPoint TQRPreview::pageOrigin() const
{
    const QSize page = pageExtent();
    const QSize view = viewport()->size();
    // Centred across when narrower than the view; from the top otherwise.
    const int x = page.width() + 2 * kMargin < view.width()
                      ? (view.width() - page.width()) / 2
                      : kMargin - horizontalScrollBar()->value();
    const int y = kMargin - verticalScrollBar()->value();
    return {x, y};
}

void TQRPreview::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBackground);
    if (!m_store)
        return;
    const QPoint origin = pageOrigin();
    const QSize page = pageExtent();
    painter.setClipRect(event->rect());
    if (m_store->page(m_page).empty()) {
        // Not finished yet: blank paper until it is.
        painter.fillRect(QRect(origin, page), Qt::white);
        return;
    }
    painter.translate(origin);
    const double dpi = kScreenDpi * m_zoom / 100.0;
    report::PageRenderer(*m_store).render(painter, m_page, dpi, dpi);
}

void TQRPreview::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layoutPage();
}

void TQRPreview::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TQRPreview::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        m_wheelRest += delta;
        const int steps = m_wheelRest / kNotch;
        m_wheelRest -= steps * kNotch;
        if (steps != 0)
            emit zoomWheel(steps);
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = delta < 0 ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum();
    if (!atEnd) {
        m_wheelRest = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A full notch past the end turns the page.
    m_wheelRest += delta;
    if (std::abs(m_wheelRest) < kNotch)
        return;
    m_wheelRest = 0;
    const int before = m_page;
    emit wheelPastEnd(delta < 0 ? 1 : -1);
    if (delta > 0 && m_page != before)
        bar->setValue(bar->maximum()); // back up: the previous page seen from its bottom
}

void TQRPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressAt = event->position().toPoint();
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void TQRPreview::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       (event->position().toPoint() - m_pressAt).manhattanLength() <= kClickSlop;
    m_pressed = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
    if (click)
        emit Click();
}

void TQRPreview::onPageAvailable(int pageNumber)
{
    if (pageNumber == m_page)
        viewport()->update();
    emit PageAvailable(pageNumber);
}

void TQRPreview::onProgress(int percent)
{
    if (percent == m_lastProgress)
        return;
    m_lastProgress = percent;
    emit ProgressUpdate(percent);
}
