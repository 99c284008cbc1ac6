#pragma once

#include "report/engine/PageStore.h"

#include <QAbstractScrollArea>
#include <QPointer>

// Shows one page of a page store at a zoom: 100 is the paper at its real size on a 96-dpi
// screen (816 × 1056 for Letter). Out-of-range page numbers and zooms are ignored. While a
// store is bound it counts as previewed; letting go of it (binding another or none) ends that
// and stops a composition still running.
class TQRPreview : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TQRPreview(QWidget* parent = nullptr);
    ~TQRPreview() override;

    int PageNumber() const noexcept { return m_page; }
    // Ignored below 1 or above the store's page count (pages begun, the one under
    // construction included; it is drawn once finished).
    void setPageNumber(int page);

    int Zoom() const noexcept { return m_zoom; }
    // Ignored below 2 or above 2000.
    void setZoom(int percent);

    report::PageStore* QRPrinter() const noexcept { return m_store; }
    void setQRPrinter(report::PageStore* store);

    // The page's size on screen at the current zoom, in device-independent pixels.
    QSize pageExtent() const;

signals:
    // A page of the store has been finished.
    void PageAvailable(int pageNumber);
    // Share of the report's rows processed, 0 to 100, each time it changes.
    void ProgressUpdate(int percent);
    // A click on the page.
    void Click();
    // The wheel turned past the bottom (+1) or the top (-1) of the page.
    void wheelPastEnd(int direction);
    // Ctrl and the wheel: +1 per notch towards a larger page, -1 towards a smaller one.
    void zoomWheel(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void layoutPage();
    void onPageAvailable(int pageNumber);
    void onProgress(int percent);
    QPoint pageOrigin() const;

    QPointer<report::PageStore> m_store;
    int m_page = 1;
    int m_zoom = 100;
    int m_lastProgress = -1;
    int m_wheelRest = 0; // eighths of a degree turned past an end, not yet a page
    QPoint m_pressAt;
    bool m_pressed = false;
};
