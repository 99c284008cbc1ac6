#include "report/engine/pdf/ContentWriter.h"

#include "report/engine/FaceData.h"
#include "report/engine/TextFit.h"
#include "report/engine/TextPlacement.h"
#include "report/engine/pdf/FontEmbedder.h"
#include "report/engine/pdf/PdfSyntax.h"

#include <algorithm>

namespace report::pdf {

ContentWriter::ContentWriter(const PageStore& store, FontEmbedder& fonts)
    : m_store(store)
    , m_fonts(fonts)
    , m_pageHeight(store.pageHeight())
{
}

ContentWriter::State ContentWriter::fresh(std::string buffer) const
{
    State s;
    s.content = std::move(buffer);
    s.content.clear();
    s.use.fonts.assign(m_fonts.fontCount(), false);
    s.use.images.assign(m_store.imageCount(), false);
    return s;
}

ContentWriter::State ContentWriter::exchange(State state)
{
    std::swap(state, m_state);
    return state;
}

void ContentWriter::lineWidth(double w)
{
    if (m_state.lineWidth != w) {
        appendReal(m_state.content, w, 2);
        m_state.content += " w\n";
        m_state.lineWidth = w;
    }
}

void ContentWriter::writeOps(std::span<const DrawOp> ops)
{
    for (const DrawOp& op : ops)
        writeOp(op);
}

void ContentWriter::writeOp(const DrawOp& op)
{
    const double frame = pointsToLength(1.0);
    std::string& c = m_state.content;
    const auto point = [&](double x, double y) {
        appendReal(c, x);
        c += ' ';
        appendReal(c, flip(y));
    };

    switch (op.kind) {
    case OpKind::Fill:
        fillColour(1);
        point(op.x, op.y + op.height);
        c += ' ';
        appendInt(c, op.width);
        c += ' ';
        appendInt(c, op.height);
        c += " re f\n";
        break;
    case OpKind::Frame: {
        // Strokes 1 point wide lying inside the band's edge; a stroked line keeps at least
        // one device pixel where a thin fill could vanish.
        lineWidth(frame);
        const std::uint8_t sides = op.frameSides();
        const double l = op.x, t = op.y, r = op.x + op.width, b = op.y + op.height;
        const double h = frame / 2;
        const auto segment = [&](double x1, double y1, double x2, double y2) {
            point(x1, y1);
            c += " m ";
            point(x2, y2);
            c += " l\n";
        };
        if (sides & FrameTop)
            segment(l, t + h, r, t + h);
        if (sides & FrameBottom)
            segment(l, b - h, r, b - h);
        if (sides & FrameLeft)
            segment(l + h, t, l + h, b);
        if (sides & FrameRight)
            segment(r - h, t, r - h, b);
        c += "S\n";
        break;
    }
    case OpKind::Line:
        lineWidth(0); // the thinnest line the device can draw: one device pixel
        if (op.vertical()) {
            const double x = op.x + op.width / 2.0;
            point(x, op.y);
            c += " m ";
            point(x, op.y + op.height);
        } else {
            const double y = op.y + op.height / 2.0;
            point(op.x, y);
            c += " m ";
            point(op.x + op.width, y);
        }
        c += " l S\n";
        break;
    case OpKind::Picture:
        c += "q ";
        appendInt(c, op.width);
        c += " 0 0 ";
        appendInt(c, op.height);
        c += ' ';
        point(op.x, op.y + op.height);
        c += " cm/Im";
        appendInt(c, op.ref);
        c += " Do Q\n";
        m_state.use.images[op.ref] = true;
        break;
    case OpKind::Text:
        writeText(op);
        break;
    }
}

void ContentWriter::writeText(const DrawOp& op)
{
    const FontUse& use = m_fonts.use(op.font);
    FaceData& data = m_fonts.data(use.face);
    const QString& text = m_store.string(op.ref);
    const qsizetype n = text.size();

    // One glyph per character; the low half of a surrogate pair holds 0xFFFF.
    m_glyphs.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, text[i + 1]);
            m_glyphs[i] = data.glyph(cp);
            m_glyphs[++i] = 0xFFFF;
        } else {
            m_glyphs[i] = data.glyph(c.unicode());
        }
    }

    struct Line {
        qsizetype start = 0;
        qsizetype length = 0;
        double x = 0;
        bool ellipsis = false;
    };
    QVarLengthArray<Line, 2> lines;
    double size = use.size;
    double left = 0;
    double boxWidth = 0;
    double boxHeight = op.height;
    const std::uint16_t ellipsisGlyph = op.fit() ? data.glyph(ellipsisCharacter) : 0;
    const auto measure = [&](qsizetype from, qsizetype length, bool ellipsis) {
        long long units = ellipsis ? data.advance(ellipsisGlyph) : 0;
        for (qsizetype i = from; i < from + length; ++i) {
            if (m_glyphs[i] != 0xFFFF)
                units += data.advance(m_glyphs[i]);
        }
        return double(units) * size / data.metrics.unitsPerEm;
    };
    if (op.fit()) {
        const FontSpec& style = m_store.fonts()[op.font];
        const FittedText fit = fitText(text, style, op.width, op.fitMinimumPointSize());
        size = pointsToLength(fit.pointSize);
        left = op.x + op.width;
        double right = op.x;
        for (const FittedLine& l : fit.lines) {
            const double width = measure(l.start, l.length, l.ellipsis);
            const double x = alignedLeft(op.x, op.width, width, op.alignment());
            lines.append({l.start, l.length, x, l.ellipsis});
            left = std::min(left, x);
            right = std::max(right, x + width);
        }
        boxWidth = right - left;
        boxHeight = std::max(boxHeight, double(lines.size()) * use.lineSpacing * size / use.size);
    } else {
        const TextPlacement placed =
            placeText(text, op.x, op.width, op.alignment(), op.autoSize(), op.wordWrap(),
                      [&](QStringView part) {
                          return measure(part.data() - text.constData(), part.size(), false);
                      });
        for (const PlacedLine& l : placed.lines)
            lines.append({l.start, l.length, l.x, false});
        left = placed.left;
        boxWidth = placed.width;
    }
    const double scale = size / use.size;

    std::string& c = m_state.content;
    if (!op.transparent()) {
        fillColour(1);
        appendReal(c, left);
        c += ' ';
        appendReal(c, flip(op.y + boxHeight));
        c += ' ';
        appendReal(c, boxWidth);
        c += ' ';
        appendReal(c, boxHeight);
        c += " re f\n";
    }
    fillColour(0);
    c += "BT ";
    double x = 0;
    double y = 0;
    double baseline = op.y + use.ascent * scale;
    int font = -1; // the font set in this text object
    bool open = false;
    const auto glyph = [&](std::uint16_t g, char32_t unicode) {
        const EncodedCharacter k = m_fonts.encode(use.face, unicode, g);
        const int f = k.font;
        if (f != font) {
            if (open)
                c += ")Tj";
            std::vector<bool>& fonts = m_state.use.fonts;
            if (std::size_t(f) >= fonts.size())
                fonts.resize(m_fonts.fontCount(), false);
            fonts[std::size_t(f)] = true;
            c += "/F";
            appendInt(c, f);
            c += ' ';
            appendReal(c, size, 2);
            c += " Tf";
            font = f;
            open = false;
        }
        if (!open) {
            c += '(';
            open = true;
        }
        // The bytes that end or escape a string are escaped.
        const char byte = k.code;
        if (byte == '(' || byte == ')' || byte == '\\')
            c += '\\';
        c += byte;
    };
    for (const Line& line : lines) {
        const double px = line.x;
        const double py = flip(baseline);
        appendReal(c, px - x);
        c += ' ';
        appendReal(c, py - y);
        c += " Td";
        x = px;
        y = py;
        for (qsizetype i = line.start; i < line.start + line.length; ++i) {
            const std::uint16_t g = m_glyphs[i];
            if (g == 0xFFFF)
                continue;
            const QChar ch = text[i];
            char32_t u = ch.unicode();
            if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
                u = QChar::surrogateToUcs4(ch, text[i + 1]);
            else if (ch.isSurrogate())
                u = 0xFFFD; // half a pair stands for no character
            glyph(g, u);
        }
        if (line.ellipsis)
            glyph(ellipsisGlyph, ellipsisCharacter);
        if (open)
            c += ")Tj";
        open = false;
        c += ' ';
        baseline += use.lineSpacing * scale;
    }
    c += "ET\n";
}

} // namespace report::pdf
