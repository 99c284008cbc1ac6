#pragma once

#include "report/engine/ReportTemplate.h"
#include "report/engine/Units.h"

#include <QStringView>
#include <QVarLengthArray>

namespace report {

struct FittedLine {
    qsizetype start = 0;
    qsizetype length = 0;
    bool ellipsis = false; // the text runs on beyond the last line: an ellipsis ends it
};

struct FittedText {
    double pointSize = 0;
    QVarLengthArray<FittedLine, 2> lines;
};

inline constexpr char16_t ellipsisCharacter = u'\u2026';

// How a text that must stay within `width` is printed in `font`: at the font's own size when it
// fits; otherwise at the largest smaller size, in quarter points, down to `minimumPointSize`, at
// which it fits on one line; otherwise at the minimum on two lines broken at a blank (a word
// longer than a line is broken where it reaches the end), the second cut short with an ellipsis
// when the text runs on. Decided with the face's design widths, which are the same on every
// device: the screen, the printer and the PDF decide alike, whatever their resolution.
FittedText fitText(QStringView text, const FontSpec& font, Length width, double minimumPointSize);

} // namespace report
