#include "cbase/Cb_varmem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace {

TEST(CBaseInt, ConvertsNumbersLogicalsAndIntegers)
{
    constexpr long double two31 = 2147483648.0L;
    constexpr long double two32 = 4294967296.0L;
    constexpr long double two63 = 9223372036854775808.0L;
    struct Case {
        const char* what;
        CBase value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"N 2.9 truncates", CBase::Number(2.9L), 2},
        {"N -2.9 truncates toward zero", CBase::Number(-2.9L), -2},
        {"N -0.5", CBase::Number(-0.5L), 0},
        {"N 2^32 + 2 keeps the low 32 bits", CBase::Number(two32 + 2), 2},
        {"N 2^31 wraps", CBase::Number(two31), std::numeric_limits<std::int32_t>::min()},
        {"N -2^31 - 1 wraps", CBase::Number(-two31 - 1), std::numeric_limits<std::int32_t>::max()},
        {"N -2^32 - 1", CBase::Number(-two32 - 1), -1},
        {"N 2^62 + 5 still fits 64 bits", CBase::Number(two63 / 2 + 5), 5},
        {"N 2^63 - 1", CBase::Number(two63 - 1), -1},
        {"N 2^63 does not fit", CBase::Number(two63), 0},
        {"N -2^63 - 2048 does not fit", CBase::Number(-two63 - 2048), 0},
        {"N 1e30", CBase::Number(1e30L), 0},
        {"N +inf", CBase::Number(std::numeric_limits<long double>::infinity()), 0},
        {"N -inf", CBase::Number(-std::numeric_limits<long double>::infinity()), 0},
        {"N NaN", CBase::Number(std::numeric_limits<long double>::quiet_NaN()), 0},
        {"n -5", CBase(-5), -5},
        {"n min", CBase(std::numeric_limits<std::int32_t>::min()),
         std::numeric_limits<std::int32_t>::min()},
        {"L 0", CBase::Logical(0), 0},
        {"L 255 is unsigned", CBase::Logical(255), 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.Int(), c.expected);
    }
}

TEST(CBaseString, ConvertsTextsAndCharacters)
{
    struct Case {
        const char* what;
        CBase value;
        std::string expected;
    };
    const Case cases[] = {
        {"C", CBase("abc"), "abc"},
        {"C empty", CBase(""), ""},
        {"C with NUL", CBase(std::string("a\0b", 3)), std::string("a\0b", 3)},
        {"c", CBase::Char('x'), "x"},
        {"c NUL is one character", CBase::Char('\0'), std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.String(), c.expected);
    }
}

TEST(CBaseText, OwnsACopyOfItsText)
{
    std::string source = "J:\\fp";
    CBase value{source};
    source[0] = 'C';
    EXPECT_EQ(value.Tag(), 'C');
    EXPECT_EQ(value.String(), "J:\\fp");
}

// Death tests run the default hook: the message goes to standard error.
TEST(CBaseDeathTest, WrongKindIsFatalWithExitCode1)
{
    struct Case {
        const char* what;
        CBase value;
        bool asInt;
    };
    const Case cases[] = {
        {"Int of C", CBase("12"), true},
        {"Int of c (tags are case-sensitive)", CBase::Char('1'), true},
        {"Int of D", CBase::Date({1999, 12, 31}), true},
        {"Int of destroyed", CBase(), true},
        {"String of n", CBase(7), false},
        {"String of N", CBase::Number(7), false},
        {"String of L", CBase::Logical(1), false},
        {"String of A", CBase::NewArray(1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asInt) {
            EXPECT_EXIT(c.value.Int(), ::testing::ExitedWithCode(1),
                        "^Invalid Object type CBase::Int\\(\\)\n$");
        } else {
            EXPECT_EXIT(c.value.String(), ::testing::ExitedWithCode(1),
                        "^Invalid Object type CBase::String\n$");
        }
    }
}

TEST(CBaseDestroy, SetsTagToZeroAndReleasesOnce)
{
    CBase values[] = {CBase("text"), CBase::Date({1999, 1, 2}), CBase::NewArray(2),
                      CBase::Number(1.5L), CBase(3)};
    for (auto& v : values) {
        SCOPED_TRACE(std::string(1, v.Tag()));
        v.Destroy();
        EXPECT_EQ(v.Tag(), 0);
        v.Destroy(); // the sanitizers catch a second release
        EXPECT_EQ(v.Tag(), 0);
    } // and the destructors run a third time
}

TEST(CBaseMove, HandsThePayloadOver)
{
    CBase a("first");
    CBase b(std::move(a));
    EXPECT_EQ(a.Tag(), 0);
    EXPECT_EQ(b.String(), "first");

    CBase c("second"); // released by the assignment below, or the leak check fails
    c = std::move(b);
    EXPECT_EQ(b.Tag(), 0);
    EXPECT_EQ(c.String(), "first");

    auto& self = c;
    c = std::move(self);
    EXPECT_EQ(c.String(), "first");
}

} // namespace
