#pragma once

#include "report/engine/ReportTemplate.h"

#include <QFont>

namespace report {

// The Windows faces of the template, served by metric-compatible faces that are present here:
// Arial and MS Sans Serif by Liberation Sans. Safe to call more than once.
void installFontSubstitutions();

// The font a printable is drawn in. Kerning is off: glyphs advance by their own widths, as
// the pages were laid out, so the screen, the printer and the PDF agree on every width.
QFont makeFont(const FontSpec& spec);

} // namespace report
