#include "report/engine/pdf/GlyphNames.h"

#include <gtest/gtest.h>

using namespace report::pdf;

namespace {

// Codes in WinAnsiEncoding, and the names of glyphs outside it, as readers and PostScript
// interpreters take them back to characters.
TEST(GlyphNames, CodesAndNamesStandForTheirCharacters)
{
    const struct {
        char32_t character;
        int code;         // in WinAnsiEncoding; 0 for none
        const char* name; // of a character outside it
    } cases[] = {
        {U'A', 0x41, nullptr},
        {U'~', 0x7E, nullptr},
        {U'ç', 0xE7, nullptr},
        {U'ÿ', 0xFF, nullptr},
        {U'€', 0x80, nullptr},
        {U'…', 0x85, nullptr},
        {U'Ÿ', 0x9F, nullptr},
        // The encoding calls these codes "space" and "hyphen", read as U+0020 and U+002D.
        {0xA0, 0, "uni00A0"},
        {0xAD, 0, "uni00AD"},
        // Codes Windows-1252 leaves undefined, and controls.
        {0x81, 0, "uni0081"},
        {0x7F, 0, "uni007F"},
        {0x09, 0, "uni0009"},
        {U'Ł', 0, "Lslash"},
        {U'ı', 0, "dotlessi"},
        {U'−', 0, "minus"},
        {0x2126, 0, "Omega"}, // the ohm sign; the Greek letter has no name of its own
        {0x03A9, 0, "uni03A9"},
        {U'Ж', 0, "uni0416"},
        {0x1F600, 0, "u1F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(unsigned(c.character));
        EXPECT_EQ(winAnsiCode(c.character), c.code);
        if (c.name) {
            EXPECT_EQ(glyphName(c.character), c.name);
        }
    }
}

} // namespace
