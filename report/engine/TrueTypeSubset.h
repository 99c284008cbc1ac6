#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
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

// The outlines of a TrueType font, to find the glyphs a composite glyph is drawn from.
class GlyphOutlines {
public:
    explicit GlyphOutlines(const FontTableReader& tables);

    int glyphCount() const noexcept { return int(m_offsets.size()) - 1; }
    // The glyph's outline data; empty for a glyph without one (a space).
    QByteArrayView outline(std::uint16_t glyph) const;
    // The glyphs a composite glyph names directly; none for a simple glyph.
    std::vector<std::uint16_t> components(std::uint16_t glyph) const;
    // The same to any depth, each once.
    std::vector<std::uint16_t> allComponents(std::uint16_t glyph) const;

private:
    QByteArray m_glyf;
    std::vector<std::uint32_t> m_offsets; // of each glyph in 'glyf', one more than glyphs
};

// A character and the glyph that draws it.
struct MappedCharacter {
    char32_t character = 0;
    std::uint16_t glyph = 0;
};

// A TrueType font of the listed glyphs of a font, numbered in the order listed (glyph 0, the
// missing glyph, comes first whether listed or not), followed by the glyphs they are composed
// of that are not listed. Its character map holds `characters`, their glyphs numbered as in the
// full font: a reader of a simple font finds each code's glyph by the character that the code's
// glyph name stands for.
QByteArray subsetTrueType(const FontTableReader& tables, std::vector<std::uint16_t> glyphs,
                          const std::vector<MappedCharacter>& characters);

} // namespace report
