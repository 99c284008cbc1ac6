#include "report/engine/PageRenderer.h"

#include "report/engine/PageStore.h"
#include "report/engine/ReportError.h"
#include "report/engine/ReportFonts.h"
#include "report/engine/TextFit.h"
#include "report/engine/TextPlacement.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QVarLengthArray>

#include <cmath>
#include <map>
#include <vector>

namespace report {

namespace {

struct DeviceFont {
    QFont font;
    QFontMetricsF metrics;
};

// A text that keeps to its place, as fitText decided, in the device font of the size decided.
void drawFitted(QPainter& painter, const DrawOp& op, const QString& text, const FittedText& fit,
                const QFont& font, const QFontMetricsF& metrics, double sx, double sy)
{
    const double place = op.width * sx;
    struct Line {
        QString text;
        double natural; // as the device font draws it
        double width;   // no wider than the place
        double x;
    };
    QVarLengthArray<Line, 2> lines;
    double left = op.x * sx + place;
    double right = op.x * sx;
    for (const FittedLine& l : fit.lines) {
        QString part = text.mid(l.start, l.length);
        if (l.ellipsis)
            part += QChar(ellipsisCharacter);
        // The decision is the same on every device, but a device's font sizes are rounded to
        // its pixels: a line that comes out wider than its place here is narrowed to it.
        const double natural = metrics.horizontalAdvance(part);
        const double width = std::min(natural, place);
        const double x = alignedLeft(op.x * sx, place, width, op.alignment());
        left = std::min(left, x);
        right = std::max(right, x + width);
        lines.append({part, natural, width, x});
    }
    if (!op.transparent()) {
        const double height =
            std::max(op.height * sy, double(lines.size()) * metrics.lineSpacing());
        painter.fillRect(QRectF(left, op.y * sy, right - left, height), Qt::white);
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    double baseline = op.y * sy + metrics.ascent();
    for (const Line& line : lines) {
        if (line.natural > line.width) {
            painter.save();
            painter.translate(line.x, baseline);
            painter.scale(line.width / line.natural, 1);
            painter.drawText(QPointF(0, 0), line.text);
            painter.restore();
        } else {
            painter.drawText(QPointF(line.x, baseline), line.text);
        }
        baseline += metrics.lineSpacing();
    }
}

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
    const auto deviceFont = [&](const FontSpec& style, double pointSize) {
        QFont f = makeFont(style);
        f.setPointSizeF(pointSize * fontScale);
        return DeviceFont{f, QFontMetricsF(f, device)};
    };
    std::vector<DeviceFont> fonts;
    fonts.reserve(m_store.fonts().size());
    for (const FontSpec& style : m_store.fonts())
        fonts.push_back(deviceFont(style, style.pointSize));
    // Smaller sizes that texts were fitted to, by store font and size.
    std::map<std::pair<std::uint8_t, double>, DeviceFont> fitted;

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
            const QString& text = m_store.string(op.ref);
            if (op.fit()) {
                const FontSpec& style = m_store.fonts()[op.font];
                const FittedText fit = fitText(text, style, op.width, op.fitMinimumPointSize());
                const DeviceFont* df = &fonts[op.font];
                if (fit.pointSize != style.pointSize) {
                    auto it = fitted.find({op.font, fit.pointSize});
                    if (it == fitted.end())
                        it = fitted
                                 .emplace(std::pair(op.font, fit.pointSize),
                                          deviceFont(style, fit.pointSize))
                                 .first;
                    df = &it->second;
                }
                drawFitted(painter, op, text, fit, df->font, df->metrics, sx, sy);
                break;
            }
            const DeviceFont& df = fonts[op.font];
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
