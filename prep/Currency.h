#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace prep {

// Money as a signed 64-bit count of ten-thousandths of the unit.
using Currency = std::int64_t;

// The amount of a floating-point value: value × 10000 rounded to the nearest integer, a half
// going to the even neighbour (computed in extended precision). Empty when the result does
// not fit, or the value is not a number.
std::optional<Currency> currencyFromDouble(double value) noexcept;

// The amount of a number written in decimal ("-1234.56"), when that is certain to equal
// currencyFromDouble of the number read as floating point: at most four decimals and fifteen
// digits. Empty otherwise (the caller then goes through the floating-point value).
std::optional<Currency> currencyFromDecimalText(std::string_view text) noexcept;

// The nearest floating-point number to the amount in units.
double currencyToDouble(Currency amount) noexcept;

// Exact sums; empty on overflow.
inline std::optional<Currency> addCurrency(Currency a, Currency b) noexcept
{
    Currency out;
    if (__builtin_add_overflow(a, b, &out))
        return std::nullopt;
    return out;
}

inline std::optional<Currency> subtractCurrency(Currency a, Currency b) noexcept
{
    Currency out;
    if (__builtin_sub_overflow(a, b, &out))
        return std::nullopt;
    return out;
}

} // namespace prep
