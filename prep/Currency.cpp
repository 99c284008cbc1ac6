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
    return static_cast<Currency>(std::nearbyint(scaled)); // to nearest, ties to even
}

double currencyToDouble(Currency amount) noexcept
{
    constexpr Currency kExact = Currency(1) << 53;
    if (amount > -kExact && amount < kExact)
        return static_cast<double>(amount) / 10000.0; // both exact: one correct rounding
    return static_cast<double>(static_cast<long double>(amount) / 10000.0L);
}

std::optional<Currency> addCurrency(Currency a, Currency b) noexcept
{
    Currency out;
    if (__builtin_add_overflow(a, b, &out))
        return std::nullopt;
    return out;
}

std::optional<Currency> subtractCurrency(Currency a, Currency b) noexcept
{
    Currency out;
    if (__builtin_sub_overflow(a, b, &out))
        return std::nullopt;
    return out;
}

} // namespace prep
