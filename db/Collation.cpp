#include "db/Collation.h"

#include <cstdint>
#include <cstring>

namespace db {
namespace {

struct Weights {
    char32_t base;       // primary: the base letter, upper case
    std::uint8_t accent; // secondary: 0 for none
    std::uint8_t lower;  // tertiary: 0 for lower case, 1 for upper case
};

char32_t decode(std::string_view s, std::size_t& i) noexcept
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF && cont(1)) {
        const char32_t c =
            (char32_t(b0 & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
        i += 2;
        return c;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && cont(1) && cont(2)) {
        const char32_t c = (char32_t(b0 & 0x0F) << 12) |
                           (char32_t(static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                           (static_cast<unsigned char>(s[i + 2]) & 0x3F);
        i += 3;
        return c;
    }
    ++i;
    return 0xFFFD;
}

// Latin-1 letters À..ÿ: base letter and accent class.
constexpr char kBase[64 + 1] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTSAAAAAAACEEEEIIIIDNOOOOO/OUUUUYTY";
constexpr std::uint8_t kAccent[64] = {
    // À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 5, 1, 2, 3, 5,
    // Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    9, 4, 1, 2, 3, 4, 5, 0, 10, 1, 2, 3, 5, 2, 11, 12,
    // à á â ã ä å æ ç è é ê ë ì í î ï
    1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 5, 1, 2, 3, 5,
    // ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    9, 4, 1, 2, 3, 4, 5, 0, 10, 1, 2, 3, 5, 2, 11, 5};

Weights weigh(char32_t c) noexcept
{
    if (c >= 'a' && c <= 'z')
        return {c - 'a' + 'A', 0, 0};
    if (c >= 'A' && c <= 'Z')
        return {c, 0, 1};
    if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) {
        const unsigned i = static_cast<unsigned>(c - 0xC0);
        const bool upper = c < 0xE0;
        return {static_cast<char32_t>(kBase[i]), kAccent[i], static_cast<std::uint8_t>(upper)};
    }
    return {c, 0, 0};
}

} // namespace

int comparePortuguese(std::string_view a, std::string_view b) noexcept
{
    if (a == b)
        return 0;
    int secondary = 0;
    int tertiary = 0;
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const Weights x = weigh(decode(a, i));
        const Weights y = weigh(decode(b, j));
        if (x.base != y.base)
            return x.base < y.base ? -1 : 1;
        if (!secondary && x.accent != y.accent)
            secondary = x.accent < y.accent ? -1 : 1;
        if (!tertiary && x.lower != y.lower)
            tertiary = x.lower < y.lower ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    if (secondary)
        return secondary;
    if (tertiary)
        return tertiary;
    const int bytes = std::memcmp(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
    if (bytes)
        return bytes < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace db
