#include "report/engine/TextFit.h"

#include "report/engine/FaceData.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr int maximumLines = 2;

// The design advance of each UTF-16 unit of a text, in font units; the second unit of a
// surrogate pair advances by nothing.
QVarLengthArray<int, 128> advances(QStringView text, FaceData& face)
{
    const qsizetype n = text.size();
    QVarLengthArray<int, 128> out(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out[i] = face.advance(face.glyph(QChar::surrogateToUcs4(c, text[i + 1])));
            out[++i] = 0;
        } else {
            out[i] = face.advance(face.glyph(c.unicode()));
        }
    }
    return out;
}

} // namespace

FittedText fitText(QStringView text, const FontSpec& font, Length width, double minimumPointSize)
{
    FaceData& face = faceData(font);
    const QVarLengthArray<int, 128> advance = advances(text, face);
    const qsizetype n = text.size();
    QVarLengthArray<long long, 128> before(n + 1); // advances of the units before each one
    before[0] = 0;
    for (qsizetype i = 0; i < n; ++i)
        before[i + 1] = before[i] + advance[i];
    const auto units = [&](qsizetype from, qsizetype to) {
        return double(before[to] - before[from]);
    };
    // Font units that fit the width at a size.
    const auto room = [&](double pointSize) {
        return double(width) * face.metrics.unitsPerEm / pointsToLength(pointSize);
    };

    FittedText out;
    const double total = units(0, n);
    const double minimum = std::min(minimumPointSize, font.pointSize);
    if (total <= room(font.pointSize)) {
        out.pointSize = font.pointSize;
        out.lines.append({0, n, false});
        return out;
    }
    const double exact = font.pointSize * room(font.pointSize) / total;
    if (exact >= minimum) {
        out.pointSize = std::max(minimum, std::floor(exact * 4) / 4);
        out.lines.append({0, n, false});
        return out;
    }

    out.pointSize = minimum;
    const double limit = room(minimum);
    const double ellipsis = face.advance(face.glyph(ellipsisCharacter));
    qsizetype pos = 0;
    for (int line = 0; line < maximumLines && pos < n; ++line) {
        const bool last = line + 1 == maximumLines;
        if (last && units(pos, n) <= limit) {
            out.lines.append({pos, n - pos, false});
            break;
        }
        // Whole words while they fit; the last line keeps room for the ellipsis.
        const double available = last ? limit - ellipsis : limit;
        qsizetype end = -1;
        for (qsizetype scan = pos; scan < n;) {
            qsizetype wordEnd = scan;
            while (wordEnd < n && text[wordEnd] == u' ')
                ++wordEnd;
            while (wordEnd < n && text[wordEnd] != u' ')
                ++wordEnd;
            if (units(pos, wordEnd) > available)
                break;
            end = wordEnd;
            scan = wordEnd;
        }
        if (end <= pos) {
            // Not even one word fits: as many characters as do, and at least one.
            end = pos + 1;
            double used = advance[pos];
            while (end < n && used + advance[end] <= available) {
                used += advance[end];
                ++end;
            }
            if (end < n && text[end].isLowSurrogate())
                ++end;
        }
        out.lines.append({pos, end - pos, last && end < n});
        pos = end;
        while (pos < n && text[pos] == u' ')
            ++pos;
    }
    // A blank that ends a line cut short does not stand before its ellipsis.
    FittedLine& tail = out.lines.back();
    if (tail.ellipsis) {
        while (tail.length > 0 && text[tail.start + tail.length - 1] == u' ')
            --tail.length;
    }
    return out;
}

} // namespace report
