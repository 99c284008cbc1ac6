#include "report/engine/pdf/FontEmbedder.h"

#include "report/engine/FaceData.h"
#include "report/engine/TrueTypeSubset.h"
#include "report/engine/Units.h"
#include "report/engine/pdf/GlyphNames.h"
#include "report/engine/pdf/ObjectWriter.h"
#include "report/engine/pdf/PdfSyntax.h"

#include <QChar>

#include <algorithm>
#include <map>
#include <string>

namespace report::pdf {

namespace {

constexpr int firstDifferencesCode = 33;

// Each font embeds a program of its own glyphs, numbered from 0 in the order first drawn: a
// PDF 1.2 writer (a virtual PDF printer's) keeps a TrueType font only when the glyphs its codes
// reach are numbered below 256, and draws the text as bitmaps, without its characters,
// otherwise.
constexpr std::size_t programGlyphs = 256;

} // namespace

FontEmbedder::FontEmbedder(ObjectWriter& objects)
    : m_objects(objects)
{
}

void FontEmbedder::setUp(const std::vector<FontSpec>& storeFonts)
{
    std::map<FaceData*, int> index;
    for (const FontSpec& spec : storeFonts) {
        FaceData& data = report::faceData(spec);
        auto it = index.find(&data);
        if (it == index.end()) {
            const int n = int(m_faces.size());
            Face face;
            face.data = &data;
            QString name = data.metrics.postScriptName;
            if (name.isEmpty())
                name = QStringLiteral("Face%1").arg(n);
            face.name = name.toLatin1();
            m_faces.push_back(std::move(face));
            it = index.emplace(&data, n).first;
        }
        FontUse use;
        use.face = it->second;
        use.size = pointsToLength(spec.pointSize);
        const double perUnit = use.size / data.metrics.unitsPerEm;
        // The same vertical metrics as the screen's font engine reports for the face.
        use.ascent = data.raw.ascent() * perUnit;
        use.lineSpacing = (data.raw.ascent() + data.raw.descent() + data.raw.leading()) * perUnit;
        m_uses.push_back(use);
    }
}

EncodedCharacter FontEmbedder::encode(int faceIndex, char32_t c, std::uint16_t glyph)
{
    Face& face = m_faces[std::size_t(faceIndex)];
    std::uint32_t& slot = c < face.latin.size() ? face.latin[c] : face.beyondLatin[c];
    if (slot != 0)
        return {int(slot >> 8) - 1, char(slot & 0xFF)};
    int font = -1;
    int code = winAnsiCode(c);
    if (code != 0) {
        if (face.winAnsiFont < 0)
            face.winAnsiFont = addFont(faceIndex, true);
        // A character whose glyphs find no room goes to a font of the rest.
        if (addGlyph(m_fonts[std::size_t(face.winAnsiFont)], glyph))
            font = face.winAnsiFont;
    }
    if (font < 0) {
        if (face.differencesFont < 0 || m_fonts[std::size_t(face.differencesFont)].nextCode > 255 ||
            !addGlyph(m_fonts[std::size_t(face.differencesFont)], glyph)) {
            face.differencesFont = addFont(faceIndex, false);
            addGlyph(m_fonts[std::size_t(face.differencesFont)], glyph);
        }
        font = face.differencesFont;
        code = m_fonts[std::size_t(font)].nextCode++;
    }
    SimpleFont& f = m_fonts[std::size_t(font)];
    f.used.set(std::size_t(code));
    f.character[std::size_t(code)] = c;
    f.glyph[std::size_t(code)] = glyph;
    slot = std::uint32_t(font + 1) << 8 | std::uint32_t(code);
    return {font, char(code)};
}

int FontEmbedder::addFont(int faceIndex, bool winAnsi)
{
    SimpleFont font;
    font.face = faceIndex;
    font.winAnsi = winAnsi;
    font.nextCode = firstDifferencesCode;
    font.object = m_objects.newObject();
    m_objects.newObject(); // ToUnicode map
    m_objects.newObject(); // descriptor
    m_objects.newObject(); // font program
    m_fonts.push_back(std::move(font));
    return int(m_fonts.size() - 1);
}

// Adds a glyph, and the glyphs it is drawn from, to a font's program; false, leaving the
// program as it was, when they would not all be numbered below 256.
bool FontEmbedder::addGlyph(SimpleFont& font, std::uint16_t glyph)
{
    std::vector<std::uint16_t>& program = font.program;
    const std::size_t before = program.size();
    const auto add = [&](std::uint16_t g) {
        if (std::find(program.begin(), program.end(), g) == program.end())
            program.push_back(g);
    };
    add(glyph);
    for (const std::uint16_t part : m_faces[std::size_t(font.face)].data->parts(glyph))
        add(part);
    if (program.size() <= programGlyphs)
        return true;
    program.resize(before);
    return false;
}

void FontEmbedder::writeFonts()
{
    for (std::size_t i = 0; i < m_fonts.size(); ++i)
        writeFont(int(i));
}

void FontEmbedder::writeFont(int index)
{
    const SimpleFont& font = m_fonts[std::size_t(index)];
    const Face& face = m_faces[std::size_t(font.face)];
    FaceData& data = *face.data;
    const TrueTypeMetrics& m = data.metrics;
    const double scale = 1000.0 / m.unitsPerEm;
    // A font left without codes (its first character found no room) is written all the same.
    int first = 0;
    while (first < 255 && !font.used[std::size_t(first)])
        ++first;
    int last = 255;
    while (last > first && !font.used[std::size_t(last)])
        --last;
    // Each font is a subset of its own.
    std::string name = "RDZ";
    for (int i = 0, n = index; i < 3; ++i, n /= 26)
        name += char('A' + n % 26);
    name += '+';
    name += face.name.toStdString();

    // Widths in the font dictionary itself: a reader builds the font again for every page and
    // form that names it (poppler does), and an object of their own would be one more to find.
    std::string d = "<</Type/Font/Subtype/TrueType/BaseFont/";
    d += name;
    d += "/FirstChar ";
    appendInt(d, first);
    d += "/LastChar ";
    appendInt(d, last);
    d += "/Widths[";
    for (int code = first; code <= last; ++code) {
        if (code != first)
            d += ' ';
        if (font.used[std::size_t(code)])
            appendReal(d, m.advances[font.glyph[std::size_t(code)]] * scale, 3);
        else
            d += '0';
    }
    d += "]/FontDescriptor ";
    appendInt(d, font.object + 2);
    if (font.winAnsi) {
        d += " 0 R/Encoding/WinAnsiEncoding";
    } else {
        d += " 0 R/Encoding<</Type/Encoding/Differences[";
        appendInt(d, first);
        for (int code = first; code <= last; ++code) {
            d += '/';
            d += glyphName(font.character[std::size_t(code)]);
        }
        d += "]>>";
    }
    d += "/ToUnicode ";
    appendInt(d, font.object + 1);
    d += " 0 R>>\nendobj\n";
    m_objects.beginObject(font.object);
    m_objects.buffer() += d;

    std::string cmap = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                       "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                       "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                       "1 begincodespacerange\n<00><FF>\nendcodespacerange\n";
    std::vector<int> codes;
    std::vector<MappedCharacter> characters;
    for (int code = first; code <= last; ++code) {
        if (font.used[std::size_t(code)]) {
            codes.push_back(code);
            characters.push_back(
                {font.character[std::size_t(code)], font.glyph[std::size_t(code)]});
        }
    }
    for (std::size_t i = 0; i < codes.size(); i += 100) {
        const std::size_t count = std::min<std::size_t>(100, codes.size() - i);
        appendInt(cmap, qint64(count));
        cmap += " beginbfchar\n";
        for (std::size_t k = i; k < i + count; ++k) {
            const char32_t u = font.character[std::size_t(codes[k])];
            cmap += '<';
            appendHex2(cmap, unsigned(codes[k]));
            cmap += "><";
            if (u >= 0x10000) {
                appendHex4(cmap, QChar::highSurrogate(u));
                appendHex4(cmap, QChar::lowSurrogate(u));
            } else {
                appendHex4(cmap, unsigned(u));
            }
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    // Not compressed: it is read again with the font, and a few hundred bytes once per
    // document cost less than inflating them every time.
    m_objects.beginObject(font.object + 1);
    std::string& b = m_objects.buffer();
    b += "<</Length ";
    appendInt(b, qint64(cmap.size()));
    b += ">>\nstream\n";
    b += cmap;
    b += "\nendstream\nendobj\n";

    d = "<</Type/FontDescriptor/FontName/";
    d += name;
    d += "/Flags 32/FontBBox[";
    for (int v : {m.xMin, m.yMin, m.xMax, m.yMax}) {
        appendReal(d, v * scale, 0);
        d += ' ';
    }
    d += "]/ItalicAngle 0/Ascent ";
    appendReal(d, m.ascender * scale, 0);
    d += "/Descent ";
    appendReal(d, m.descender * scale, 0);
    d += "/CapHeight ";
    appendReal(d, m.capHeight * scale, 0);
    d += "/StemV 80/FontFile2 ";
    appendInt(d, font.object + 3);
    d += " 0 R>>\nendobj\n";
    m_objects.beginObject(font.object + 2);
    m_objects.buffer() += d;

    const QByteArray file = subsetTrueType([&data](const char* tag) { return data.table(tag); },
                                           font.program, characters);
    std::string length1 = "/Length1 ";
    appendInt(length1, file.size());
    m_objects.writeStream(font.object + 3, std::move(length1), file.toStdString(), true);
}

} // namespace report::pdf
