#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace db {

// The single-byte code pages in which payroll tables store their text.
enum class CodePage { CP437 = 437, CP850 = 850, CP860 = 860, CP1252 = 1252 };

// The code page named by a dBase language-driver byte. A table without one (0), or with one
// this reader does not know, is read as code page 850.
CodePage codePageForLanguageDriver(std::uint8_t driver) noexcept;

// The language-driver byte that this program writes for a code page.
std::uint8_t languageDriverFor(CodePage page) noexcept;

// Appends the UTF-8 form of the bytes to out.
void appendDecoded(CodePage page, std::string_view bytes, std::string& out);

// The byte that stands for a Unicode character in the code page, if any.
std::optional<unsigned char> encodeChar(CodePage page, char32_t ch) noexcept;

void appendUtf8(char32_t ch, std::string& out);

} // namespace db
