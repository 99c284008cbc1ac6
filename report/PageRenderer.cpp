#include "report/PageRenderer.h"

#include "report/PageStore.h"
#include "report/ReportError.h"
#include "report/ReportFonts.h"
#include "report/TextPlacement.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <vector>

namespace report {

namespace {

struct DeviceFont {
    QFont font;
    QFontMetricsF metrics;
};

} // namespace

QSizeF PageRenderer::pageSize(double dpiX, double dpiY) const noexcept
{
    return {toPixels(m_store.pageWidth(), dpiX), toPixels(m_store.pageHeight(), dpiY)};
}

void PageRenderer::render(QPainter& painter, int pageNumber, double zoomPercent) const
{
    const QPaintDevice* device = painter.device();
    render(painter, pageNumber, device->logicalDpiX() * zoomPercent / 100.0,
           device->logicalDpiY() * zoomPercent / 100.0);
}

void PageRenderer::render(QPainter& painter, int pageNumber, double dpiX, double dpiY) const
{
    const std::span<const DrawOp> ops = m_store.page(pageNumber);
    if (ops.empty())
        return;

    QPaintDevice* device = painter.device();
    const double sx = dpiX / lengthPerInch;
    const double sy = dpiY / lengthPerInch;
    const auto rect = [&](const DrawOp& op) {
        return QRectF(op.x * sx, op.y * sy, op.width * sx, op.height * sy);
    };

    // QFont sizes are converted to pixels at the device's logical resolution; scale them so
    // that a point comes out at the resolution asked for.
    const double fontScale = dpiY / device->logicalDpiY();
    std::vector<DeviceFont> fonts;
    fonts.reserve(m_store.fonts().size());
    for (const FontSpec& spec : m_store.fonts()) {
        QFont f = makeFont(spec);
        f.setPointSizeF(spec.pointSize * fontScale);
        fonts.push_back({f, QFontMetricsF(f, device)});
    }

    // Band frames are 1 point, but never thinner than a device pixel.
    const int frameX = std::max(1, int(std::lround(dpiX / 72)));
    const int frameY = std::max(1, int(std::lround(dpiY / 72)));
    QPen linePen(Qt::black);
    linePen.setWidth(1);
    linePen.setCosmetic(true);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(QRectF(QPointF(0, 0), pageSize(dpiX, dpiY)), Qt::white);

    for (const DrawOp& op : ops) {
        switch (op.kind) {
        case OpKind::Fill:
            painter.fillRect(rect(op), Qt::white);
            break;
        case OpKind::Frame: {
            const int l = int(std::lround(op.x * sx));
            const int t = int(std::lround(op.y * sy));
            const int r = int(std::lround((op.x + op.width) * sx));
            const int b = int(std::lround((op.y + op.height) * sy));
            const std::uint8_t sides = op.frameSides();
            if (sides & FrameTop)
                painter.fillRect(QRect(l, t, r - l, frameY), Qt::black);
            if (sides & FrameBottom)
                painter.fillRect(QRect(l, b - frameY, r - l, frameY), Qt::black);
            if (sides & FrameLeft)
                painter.fillRect(QRect(l, t, frameX, b - t), Qt::black);
            if (sides & FrameRight)
                painter.fillRect(QRect(r - frameX, t, frameX, b - t), Qt::black);
            break;
        }
        case OpKind::Line: {
            painter.setPen(linePen);
            if (op.vertical()) {
                const double x = (op.x + op.width / 2.0) * sx;
                painter.drawLine(QLineF(x, op.y * sy, x, (op.y + op.height) * sy));
            } else {
                const double y = (op.y + op.height / 2.0) * sy;
                painter.drawLine(QLineF(op.x * sx, y, (op.x + op.width) * sx, y));
            }
            break;
        }
        case OpKind::Picture:
            painter.drawImage(rect(op), m_store.image(op.ref));
            break;
        case OpKind::Text: {
            const DeviceFont& df = fonts[op.font];
            const QString& text = m_store.string(op.ref);
            const TextPlacement placed = placeText(
                text, op.x * sx, op.width * sx, op.alignment(), op.autoSize(), op.wordWrap(),
                [&](QStringView s) { return df.metrics.horizontalAdvance(s.toString()); });
            if (!op.transparent())
                painter.fillRect(QRectF(placed.left, op.y * sy, placed.width, op.height * sy),
                                 Qt::white);
            painter.setFont(df.font);
            painter.setPen(Qt::black);
            double baseline = op.y * sy + df.metrics.ascent();
            for (const PlacedLine& line : placed.lines) {
                painter.drawText(QPointF(line.x, baseline), text.mid(line.start, line.length));
                baseline += df.metrics.lineSpacing();
            }
            break;
        }
        }
    }
    painter.restore();
}

void printPages(const PageStore& store, QPagedPaintDevice& device, int first, int last)
{
    if (last < 0 || last > store.finishedCount())
        last = store.finishedCount();
    first = std::max(first, 1);
    if (first > last)
        throw ReportError(QStringLiteral("Não há páginas a imprimir."));

    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true); // page coordinates from the paper's corner
    device.setPageSize(QPageSize(store.paper()));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(0, 0, 0, 0));

    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("Não foi possível iniciar a impressão."));
    const PageRenderer renderer(store);
    for (int n = first; n <= last; ++n) {
        if (n > first)
            device.newPage();
        renderer.render(painter, n, device.logicalDpiX(), device.logicalDpiY());
    }
    painter.end();
}

} // namespace report
