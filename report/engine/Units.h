#pragma once

#include <cstdint>

namespace report {

// Lengths are whole numbers of 1/12192 inch. Both the design unit (1/96 inch = 127) and the
// tenth of a millimetre (= 48) are exact multiples, so every template value is an integer and
// the fit test ("a band that fits exactly is printed") compares exactly.
using Length = std::int32_t;

inline constexpr Length lengthPerInch = 12192;

constexpr Length designUnits(int units) noexcept
{
    return units * 127;
}
constexpr Length tenthsOfMm(int tenths) noexcept
{
    return tenths * 48;
}
constexpr Length millimetres(int mm) noexcept
{
    return mm * 480;
}

constexpr double toDesignUnits(Length l) noexcept
{
    return l / 127.0;
}
constexpr double toMillimetres(Length l) noexcept
{
    return l / 480.0;
}
constexpr double toPoints(Length l) noexcept
{
    return l * 72.0 / lengthPerInch;
}
constexpr double toPixels(double l, double dpi) noexcept
{
    return l * dpi / lengthPerInch;
}
constexpr double pointsToLength(double pt) noexcept
{
    return pt * lengthPerInch / 72.0;
}

} // namespace report
