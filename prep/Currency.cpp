#include "prep/Currency.h"

#include <cmath>

namespace prep {

std::optional<Currency> currencyFromDouble(double value) noexcept
{
    const long double scaled = static_cast<long double>(value) * 10000.0L;
    // Near 2^63 the extended format holds only integers, so a value in range stays in range
    // once rounded.
    constexpr long double kLimit = 9223372036854775808.0L; // 2^63
    if (!(scaled >= -kLimit && scaled < kLimit))
        return std::nullopt;
    // rint rounds in the current mode (to nearest, ties to even) and compiles to one x87
    // instruction; nearbyint would save and restore the FPU state on every amount.
    return static_cast<Currency>(__builtin_rintl(scaled));
}

std::optional<Currency> currencyFromDecimalText(std::string_view text) noexcept
{
    // A value with at most four decimals is n / 10^4 for an integer n below 10^15 < 2^50; the
    // double nearest to it, times 10^4, lies within 1/8 of n, so rounding gives n back.
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    Currency n = 0;
    int digits = 0;
    int decimals = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        if (++digits > 15 || (decimals >= 0 && ++decimals > 4))
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (digits == 0)
        return text.empty() ? std::optional<Currency>(0) : std::nullopt;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d)
        n *= 10;
    return negative ? -n : n;
}

double currencyToDouble(Currency amount) noexcept
{
    constexpr Currency kExact = Currency(1) << 53;
    if (amount > -kExact && amount < kExact)
        return static_cast<double>(amount) / 10000.0; // both exact: one correct rounding
    return static_cast<double>(static_cast<long double>(amount) / 10000.0L);
}

} // namespace prep
