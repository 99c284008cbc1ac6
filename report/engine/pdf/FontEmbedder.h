#pragma once

#include "report/engine/ReportTemplate.h"

#include <QByteArray>

#include <array>
#include <bitset>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace report {
struct FaceData;
}

namespace report::pdf {

class ObjectWriter;

// A store font: a face at a size, in the store's unit.
struct FontUse {
    int face = 0;
    double size = 0;   // the em
    double ascent = 0; // from the top of a line to its baseline
    double lineSpacing = 0;
};

// A character as a content stream shows it: a byte in one of the document's fonts.
struct EncodedCharacter {
    int font = 0; // index into the document's fonts, its resource name "/F<font>"
    char code = 0;
};

// The document's fonts: subsets of the faces of the store's fonts, with the codes of the
// characters drawn, each written once for all the pages.
//
// Text is drawn in simple TrueType fonts, a byte per character: print spoolers turn the PDF
// into PostScript and back, and only a simple font's glyph names carry the characters through
// that (a composite font's Unicode mapping is lost on the way). The characters of
// Windows-1252 have their codes in WinAnsiEncoding; the rest get codes from 33 on, in order of
// first use, in further fonts of the same face that name their glyphs in /Differences. Every
// font has a ToUnicode map as well.
class FontEmbedder {
public:
    explicit FontEmbedder(ObjectWriter& objects);

    // Finds the faces of the store's fonts (for the calling thread).
    void setUp(const std::vector<FontSpec>& storeFonts);
    const FontUse& use(std::uint8_t storeFont) const { return m_uses[storeFont]; }
    FaceData& data(int face) const { return *m_faces[std::size_t(face)].data; }

    // The font and code of a character of a face, drawn with the face's glyph for it.
    EncodedCharacter encode(int face, char32_t c, std::uint16_t glyph);

    std::size_t fontCount() const noexcept { return m_fonts.size(); }
    int fontObject(std::size_t font) const { return m_fonts[font].object; }

    // The fonts, each with its ToUnicode map, descriptor and font program.
    void writeFonts();

private:
    // A face as embedded in one document: the codes of the characters drawn.
    struct Face {
        FaceData* data = nullptr;
        QByteArray name; // PostScript name
        // Per character: its font plus one, times 256, plus its code; 0 for a character not
        // drawn yet.
        std::array<std::uint32_t, 256> latin{};
        std::unordered_map<char32_t, std::uint32_t> beyondLatin;
        int winAnsiFont = -1;
        int differencesFont = -1; // the last, which may have codes left
    };

    // A simple font: up to 256 characters of a face, each a code.
    struct SimpleFont {
        int face = 0;
        int object = 0; // font dictionary; then its ToUnicode map, descriptor and font program
        bool winAnsi = false;
        int nextCode = 0;
        std::bitset<256> used;
        std::array<char32_t, 256> character{};
        std::array<std::uint16_t, 256> glyph{}; // the face's
        std::vector<std::uint16_t> program{0};  // the face's glyphs in the program, in its order
    };

    int addFont(int face, bool winAnsi);
    bool addGlyph(SimpleFont& font, std::uint16_t glyph);
    void writeFont(int index);

    ObjectWriter& m_objects;
    std::vector<Face> m_faces;
    std::vector<SimpleFont> m_fonts;
    std::vector<FontUse> m_uses; // per store font
};

} // namespace report::pdf
