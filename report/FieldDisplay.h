#pragma once

#include <QLocale>
#include <QString>

namespace report {

// The display text of a stored text under an edit mask "pattern;save;blank". In the pattern a
// backslash makes the next character a literal, '0' and '9' are character positions and every
// other character is a literal. A position prints the next stored character, or a blank once
// the stored text is used up; a literal prints itself, "/" and ":" as the date and time
// separators of the regional settings. With save 1 the stored text holds the literals too, so
// each literal also steps over one stored character.
QString applyEditMask(const QString& mask, const QString& stored, const QLocale& locale);

// A number with exactly two decimals, at least one integer digit and the integer digits
// grouped in threes, with the separators of the regional settings (1.234,50 in Brazil).
// Halves of a cent round away from zero, as the value's own decimal digits say.
QString formatAmount(double value, const QLocale& locale);

// The date separator of the regional settings' short date format.
QChar dateSeparator(const QLocale& locale);
QChar timeSeparator(const QLocale& locale);

} // namespace report
