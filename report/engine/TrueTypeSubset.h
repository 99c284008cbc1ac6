#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace report {

// The tables of a TrueType font, by their four-letter tag; empty for a table the font lacks.
using FontTableReader = std::function<QByteArray(const char* tag)>;

struct TrueTypeMetrics {
    int unitsPerEm = 0;
    int numGlyphs = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int ascender = 0, descender = 0, capHeight = 0;
    std::vector<int> advances; // per glyph, in font units
    QString postScriptName;    // empty when the font does not name itself
};

// Reads what a PDF font description needs; throws ReportError for a font that is not TrueType.
TrueTypeMetrics readTrueTypeMetrics(const FontTableReader& tables);

// A TrueType font with the outlines of only the glyphs marked used, the glyphs they are
// composed of and glyph 0. Glyph numbers are kept, so text can address glyphs by their index
// in the full font.
QByteArray subsetTrueType(const FontTableReader& tables, std::vector<bool> used);

} // namespace report
