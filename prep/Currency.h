#pragma once

#include <cstdint>
#include <optional>

namespace prep {

// Money as a signed 64-bit count of ten-thousandths of the unit.
using Currency = std::int64_t;

// The amount of a floating-point value: value × 10000 rounded to the nearest integer, a half
// going to the even neighbour (computed in extended precision). Empty when the result does
// not fit, or the value is not a number.
std::optional<Currency> currencyFromDouble(double value) noexcept;

// The nearest floating-point number to the amount in units.
double currencyToDouble(Currency amount) noexcept;

// Exact sums; empty on overflow.
std::optional<Currency> addCurrency(Currency a, Currency b) noexcept;
std::optional<Currency> subtractCurrency(Currency a, Currency b) noexcept;

} // namespace prep
