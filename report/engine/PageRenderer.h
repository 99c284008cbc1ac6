#pragma once

#include <QSizeF>

class QPagedPaintDevice;
class QPainter;

namespace report {

class PageStore;

// Draws stored pages on any Qt paint device: a widget at a zoom, a printer, a PDF writer, an
// image. Texts are measured with the target's own font metrics, so auto-size and word wrap
// follow the device's resolution.
class PageRenderer {
public:
    explicit PageRenderer(const PageStore& store) noexcept
        : m_store(store)
    {
    }

    // Draws a finished page with its top left corner at the painter's origin, at dpiX × dpiY
    // device pixels to the inch. The paper is painted white first. A page that is not finished
    // (or does not exist) draws nothing.
    void render(QPainter& painter, int pageNumber, double dpiX, double dpiY) const;
    // At the resolution of the painter's device, times zoomPercent / 100.
    void render(QPainter& painter, int pageNumber, double zoomPercent = 100) const;

    // The paper's size in device pixels at that resolution.
    QSizeF pageSize(double dpiX, double dpiY) const noexcept;

private:
    const PageStore& m_store;
};

// Draws pages first to last (1-based, inclusive; last -1 for the final page; clamped to the
// finished pages) on a printer or PDF writer, one device page each, at the device's
// resolution, on the store's paper in portrait. Throws ReportError when the device cannot be
// painted on or the range holds no page.
void printPages(const PageStore& store, QPagedPaintDevice& device, int first = 1, int last = -1);

} // namespace report
