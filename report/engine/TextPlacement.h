#pragma once

#include "report/engine/ReportTemplate.h"

#include <QStringView>
#include <QVarLengthArray>

namespace report {

struct PlacedLine {
    qsizetype start = 0;
    qsizetype length = 0;
    double x = 0; // left end of the line
};

struct TextPlacement {
    double left = 0; // the box after auto-size: what a non-transparent text paints white
    double width = 0;
    QVarLengthArray<PlacedLine, 2> lines;
};

// The left end of a line `lineWidth` wide, aligned in a box from `left`, `width` wide.
inline double alignedLeft(double left, double width, double lineWidth, Alignment alignment)
{
    switch (alignment) {
    case Alignment::Right:
        return left + width - lineWidth;
    case Alignment::Center:
        return left + (width - lineWidth) / 2;
    case Alignment::Left:
        break;
    }
    return left;
}

// Where the lines of a text printable go, in whatever unit `measure` returns widths in.
// Auto-size gives the box the text's width, keeping the edge or centre its alignment names;
// otherwise a text wider than its box breaks into lines at blanks (a word longer than the box
// keeps a line of its own and overflows). Nothing is cut.
template <typename Measure>
TextPlacement placeText(QStringView text, double left, double width, Alignment alignment,
                        bool autoSize, bool wordWrap, Measure&& measure)
{
    TextPlacement out;
    const double natural = measure(text);
    const auto aligned = [&](double lineWidth) {
        return alignedLeft(left, width, lineWidth, alignment);
    };

    if (autoSize) {
        out.left = aligned(natural);
        out.width = natural;
        out.lines.append({0, text.size(), out.left});
        return out;
    }
    out.left = left;
    out.width = width;
    if (!wordWrap || natural <= width) {
        out.lines.append({0, text.size(), aligned(natural)});
        return out;
    }

    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype end = -1;   // end of the words taken so far
        qsizetype scan = pos; // where the next word starts its search
        for (;;) {
            qsizetype wordEnd = scan;
            while (wordEnd < n && text[wordEnd] == u' ')
                ++wordEnd;
            while (wordEnd < n && text[wordEnd] != u' ')
                ++wordEnd;
            if (end >= 0 && measure(text.sliced(pos, wordEnd - pos)) > width)
                break;
            end = wordEnd;
            if (wordEnd >= n)
                break;
            scan = wordEnd;
        }
        const QStringView line = text.sliced(pos, end - pos);
        out.lines.append({pos, end - pos, aligned(measure(line))});
        pos = end;
        while (pos < n && text[pos] == u' ')
            ++pos;
    }
    return out;
}

} // namespace report
