#pragma once

#include "report/engine/ReportTemplate.h"
#include "report/engine/TrueTypeSubset.h"

#include <QByteArray>
#include <QHash>
#include <QRawFont>

#include <cstdint>
#include <memory>
#include <vector>

namespace report {

// What a face needs for any document, found once per thread (a writer per statement would
// otherwise read and search the same font every time): its tables, metrics and the glyph of
// each character. Its advances are the face's design widths, which lay out the PDF and decide
// how a text fits its place on every device.
struct FaceData {
    QRawFont raw; // at a pixel size of one em
    TrueTypeMetrics metrics;
    QHash<QByteArray, QByteArray> tables;
    std::unique_ptr<std::uint32_t[]> bmp; // glyph + 1 per UTF-16 unit; 0 not looked up yet
    QHash<char32_t, std::uint16_t> astral;
    std::unique_ptr<GlyphOutlines> outlines; // read when first needed

    QByteArray table(const char* tag);
    // The face's glyph for a character; 0 (the missing glyph) when it has none.
    std::uint16_t glyph(char32_t c);
    int advance(std::uint16_t glyph) const noexcept { return metrics.advances[glyph]; }
    // The glyphs a glyph is drawn from (those of a composite glyph), to any depth.
    std::vector<std::uint16_t> parts(std::uint16_t glyph);

private:
    std::uint16_t lookUp(char32_t c) const;
};

// The face of a store font, by family and style as the font database resolves them, for the
// calling thread. Throws ReportError when no face can be found for it.
FaceData& faceData(const FontSpec& wanted);

} // namespace report
