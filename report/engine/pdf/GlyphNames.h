#pragma once

#include <cstdint>
#include <string>

namespace report::pdf {

// The code of a character in WinAnsiEncoding; 0 for a character it lacks. The no-break space
// and the soft hyphen are left out: the encoding names their codes "space" and "hyphen", and
// readers take those names for the plain space and hyphen.
std::uint8_t winAnsiCode(char32_t c) noexcept;

// The name of a character's glyph as readers and PostScript interpreters turn it back into the
// character: the standard name where the glyph list for new fonts has one, otherwise uniXXXX
// (or uXXXXX past the basic plane).
std::string glyphName(char32_t c);

} // namespace report::pdf
