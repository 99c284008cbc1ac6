#include "prep/Currency.h"
#include "prep/MontaTabelaIR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using prep::currencyFromDouble;
using prep::currencyToDouble;

TEST(Currency, RoundsToTenThousandthsHalfToEven)
{
    struct Case {
        double value;
        std::int64_t units;
    };
    const Case cases[] = {
        {0.0, 0},         {1234.5, 12345000},
        {0.00004, 0},     {0.00006, 1},
        {0.03125, 312},   {0.09375, 938},
        {-0.03125, -312}, {-850.0, -8500000},
        {0.1, 1000},      {1e14, 1000000000000000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(currencyFromDouble(c.value), c.units);
    }
}

TEST(Currency, OutOfRangeAndNotANumber)
{
    EXPECT_FALSE(currencyFromDouble(1e15).has_value());
    EXPECT_FALSE(currencyFromDouble(-1e15).has_value());
    EXPECT_FALSE(currencyFromDouble(std::nan("")).has_value());
    EXPECT_FALSE(currencyFromDouble(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_TRUE(currencyFromDouble(922337203685477.0).has_value());
    EXPECT_FALSE(prep::addCurrency(std::numeric_limits<std::int64_t>::max(), 1).has_value());
    EXPECT_FALSE(prep::subtractCurrency(std::numeric_limits<std::int64_t>::min(), 1).has_value());
}

TEST(Currency, BackToTheNearestDouble)
{
    EXPECT_EQ(currencyToDouble(8500000), 850.0);
    EXPECT_EQ(currencyToDouble(1000), 0.1);
    EXPECT_EQ(currencyToDouble(-12345), -1.2345);
    // Amounts that round-trip: the value read back is the value written.
    for (std::int64_t units : {1LL, 99999LL, 123456789012LL, 4503599627370495LL})
        EXPECT_EQ(currencyFromDouble(currencyToDouble(units)), units);
}

TEST(CodeMapping, StoredCodes)
{
    struct Case {
        const char* payroll;
        const char* stored;
        bool subtract;
    };
    const Case cases[] = {{"91", "61", true},  {"40", "49", false}, {"49", "4X", false},
                          {"61", "61", false}, {"41", "41", false}, {"4", "4", false},
                          {"9", "9", false},   {"", "", false}};
    for (const Case& c : cases) {
        const prep::StoredCode s = prep::storedCode(c.payroll);
        EXPECT_EQ(s.code, c.stored) << c.payroll;
        EXPECT_EQ(s.subtract, c.subtract) << c.payroll;
    }
}
