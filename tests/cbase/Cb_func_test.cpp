#include "cbase/Cb_func.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string operator""_s(const char* text, std::size_t size)
{
    return std::string(text, size);
}

TEST(At, FindsFirstOccurrence)
{
    struct Case {
        std::string search, target;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"J:\\", "abJ:\\cdJ:\\", 3}, {"J:\\", "abcd", 0}, {"", "abc", 0},  {"a", "", 0},
        {"abcd", "abc", 0},          {"a", "A", 0},       {"c", "abc", 3}, {"abc", "abc", 1},
        {"cd\0zz"_s, "abcd", 3},                         // the search text ends at its NUL
        {"\0a"_s, "\0a"_s, 0},       {"b", "a\0b"_s, 3}, // the target does not
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.search + " in " + c.target);
        EXPECT_EQ(At(CBase(c.search), CBase(c.target)), c.expected);
    }
    EXPECT_EQ(At(CBase::Char('b'), CBase("abc")), 2);
    EXPECT_EQ(At(CBase("c"), CBase::Char('c')), 1);
}

TEST(Substr, ClampsStartAndCount)
{
    struct Case {
        std::string text;
        std::int32_t start, count;
        std::string expected;
    };
    const Case cases[] = {
        {"abcdef", 0, 3, "abc"},    {"abcdef", 5, 10, "ef"},
        {"abcdef", 7, 1, ""},       {"abcdef", 2, -1, ""},
        {"abcdef", 2, 0, ""},       {"abcdef", 6, 1, "f"},
        {"abcdef", kMin, 2, "ab"},  {"abcdef", 3, kMax, "cdef"},
        {"abcdef", kMax, kMax, ""}, {"", 1, 5, ""},
        {"a\0b"_s, 2, 2, "\0b"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " from " + std::to_string(c.start) + " for " +
                     std::to_string(c.count));
        EXPECT_EQ(Substr(CBase(c.text), CBase(c.start), CBase(c.count)), c.expected);
    }
    // Any number kind converts through Int.
    EXPECT_EQ(Substr(CBase("abcdef"), CBase::Number(2.9L), CBase::Logical(2)), "bc");
}

TEST(Substr, TwoArgumentFormRunsToTheEnd)
{
    struct Case {
        std::int32_t start;
        std::string expected;
    };
    const Case cases[] = {
        {3, "cdef"}, {-4, "abcdef"}, {0, "abcdef"},    {1, "abcdef"}, {6, "f"},
        {7, ""},     {kMax, ""},     {kMin, "abcdef"}, // L - start + 1 would overflow 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        EXPECT_EQ(Substr(CBase("abcdef"), CBase(c.start)), c.expected);
    }
    EXPECT_EQ(Substr(CBase(""), CBase(1)), "");
}

// The algorithm as written: every search copies the rest of the text, every replacement rebuilds
// all of it, each through temporary values.
std::string naiveStrtran(const CBase& text, const CBase& search, const CBase& replacement,
                         const CBase& first, const CBase& count)
{
    std::int32_t remaining = count.Int();
    std::int32_t firstLeft = first.Int();
    std::string work = text.String();
    std::int32_t pos = 1;
    for (;;) {
        if (remaining == 0)
            break;
        --remaining;
        const std::int32_t found = At(search, CBase(Substr(CBase(work), CBase(pos))));
        if (found == 0)
            break;
        --firstLeft;
        const std::int32_t occ = pos + found - 1;
        if (firstLeft > 0) {
            pos = occ + 1;
            ++remaining;
            continue;
        }
        const std::string needle = search.String();
        const auto len = static_cast<std::int32_t>(needle.substr(0, needle.find('\0')).size());
        work = Substr(CBase(work), CBase(1), CBase(occ - 1)) + replacement.String() +
               Substr(CBase(work), CBase(occ + len));
    }
    return work;
}

struct StrtranCase {
    std::string text, search, replacement;
    std::int32_t first, count;
    std::string expected;
    bool compareNaive = true;
};

void checkStrtran(const StrtranCase& c)
{
    const CBase text(c.text), search(c.search), replacement(c.replacement);
    const CBase first(c.first), count(c.count);
    const std::string fast = Strtran(text, search, replacement, first, count);
    EXPECT_EQ(fast, c.expected);
    if (c.compareNaive) {
        EXPECT_EQ(fast, naiveStrtran(text, search, replacement, first, count));
    }
}

TEST(Strtran, ReplacesAsTheAlgorithmDoes)
{
    const std::string query = "SELECT * FROM \"J:\\fp\\FP_EMP.DBF\" E, \"J:\\fp\\FP_FUN.DBF\" F, "
                              "\"J:\\dirf99\\IR.DB\" I";
    const std::string onC = "SELECT * FROM \"C:\\fp\\FP_EMP.DBF\" E, \"C:\\fp\\FP_FUN.DBF\" F, "
                            "\"C:\\dirf99\\IR.DB\" I";
    const StrtranCase cases[] = {
        {query, "J:\\", "C:\\", 1, 65535, onC},
        {query, "J:\\", "J:\\", 1, 65535, query}, // 65535 replacements of the first occurrence
        {"aab", "ab", "b", 1, 65535, "b"},        // restarts at the same position
        {"aaaa", "aa", "b", 2, 1, "aba"},         // skipped occurrence overlaps the replaced one
        {"aaaa", "aa", "b", 3, 9, "aab"},
        {"aaaa", "aa", "b", 4, 9, "aaaa"}, // not that many occurrences
        {"aaa", "aa", "a", 1, 65535, "a"},
        {"abcabc", "b", "", 1, 65535, "acac"},
        {"abcabc", "bc", "cb", 1, 65535, "acbacb"},
        {"xyz", "y", "yy", 1, 5, "xyyyyyyz"}, // the replacement starts with the search text
        {"xyz", "y", "ay", 1, 3, "xaaayz"},
        {"xyz", "y", "ya", 1, 3, "xyaaaz"},
        {"abab", "ab", "abab", 2, 2, "abababab"},
        {"abcabc", "b", "X", 1, 0, "abcabc"},
        {"abcabc", "b", "X", 1, -1, "abcabc", false}, // a negative count replaces nothing
        {"abcabc", "b", "X", 0, 1, "aXcabc"},
        {"abcabc", "b", "X", kMin, 1, "aXcabc", false}, // first of 1 or less: from the first
        {"abcabc", "b", "X", kMax, 1, "abcabc"},
        {"abcabc", "q", "X", 1, 65535, "abcabc"},
        {"abcabc", "", "X", 1, 65535, "abcabc"},
        {"", "a", "X", 1, 65535, ""},
        {"xabyab", "ab\0q"_s, "Z", 1, 65535, "xZyZ"}, // only what precedes the NUL is replaced
        {"a\0b\0"_s, "b", "\0"_s, 1, 65535, "a\0\0\0"_s},
        {"abcdef", "abcdef", "", 1, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.search + " -> " + c.replacement + " first " +
                     std::to_string(c.first) + " count " + std::to_string(c.count));
        checkStrtran(c);
    }
}

TEST(Strtran, ThreeArgumentFormCapsAt65535)
{
    EXPECT_EQ(Strtran(CBase("a"), CBase("a"), CBase("aa")), std::string(65536, 'a'));
    EXPECT_EQ(Strtran(CBase("aab"), CBase("ab"), CBase("b")), "b");

    std::string many;
    for (int i = 0; i < 70000; ++i)
        many += "J:\\";
    std::string expected;
    for (int i = 0; i < 65535; ++i)
        expected += "C:\\";
    expected.append(many, expected.size(), std::string::npos);
    EXPECT_EQ(Strtran(CBase(many), CBase("J:\\"), CBase("C:\\")), expected);
}

TEST(Strtran, LargeTexts)
{
    // 1 MB, every occurrence replaced by a longer text.
    std::string text, expected;
    for (int i = 0; i < 131072; ++i) {
        text += "J:\\fp\\x ";
        expected += "\\\\server\\payroll\\fp\\x ";
    }
    EXPECT_EQ(
        Strtran(CBase(text), CBase("J:\\"), CBase("\\\\server\\payroll\\"), CBase(1), CBase(kMax)),
        expected);

    // Growth at the front of a long tail.
    const std::string tail(1 << 20, 'b');
    EXPECT_EQ(Strtran(CBase("a" + tail), CBase("a"), CBase("aa")), std::string(65536, 'a') + tail);

    // Shrinking replacements and removals.
    EXPECT_EQ(Strtran(CBase(expected), CBase("\\\\server\\payroll\\"), CBase("J:\\"), CBase(1),
                      CBase(kMax)),
              text);
    // Each removal completes the next occurrence just before it.
    const std::string half(1 << 19, 'a');
    EXPECT_EQ(Strtran(CBase(half + std::string(1 << 19, 'b')), CBase("ab"), CBase(""), CBase(1),
                      CBase(kMax)),
              "");
}

TEST(Strtran, MatchesTheAlgorithmOnRandomTexts)
{
    std::mt19937 rng(19991231u); // fixed seed; mt19937's output is the same everywhere
    auto randomText = [&](std::uint32_t maxLength) {
        std::string s(rng() % (maxLength + 1), 'a');
        for (auto& ch : s)
            ch = "aab"[rng() % 3];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText(14);
        const std::string search = randomText(3);
        const std::string replacement = randomText(4);
        const auto first = static_cast<std::int32_t>(rng() % 7) - 2;
        const auto count = static_cast<std::int32_t>(rng() % 9);
        const CBase t(text), s(search), r(replacement), f(first), n(count);
        const std::string expected = naiveStrtran(t, s, r, f, n);
        ASSERT_EQ(Strtran(t, s, r, f, n), expected)
            << text << " / " << search << " -> " << replacement << " first " << first << " count "
            << count;
    }
}

TEST(Strtran, ConvertsOnlyWhatItUses)
{
    const CBase wrong(5);
    // No replacement made: the replacement is never converted.
    EXPECT_EQ(Strtran(CBase("abc"), CBase("q"), wrong), "abc");
    EXPECT_EQ(Strtran(CBase(""), CBase("q"), wrong), "");
    EXPECT_EQ(Strtran(CBase("abc"), CBase("b"), wrong, CBase(2), CBase(5)), "abc");
    // A count of 0 converts neither the search text nor the replacement.
    EXPECT_EQ(Strtran(CBase("abc"), wrong, wrong, CBase(1), CBase(0)), "abc");
    // Characters are texts.
    EXPECT_EQ(Strtran(CBase::Char('b'), CBase::Char('b'), CBase::Char('c')), "c");
}

TEST(StrtranDeathTest, ConvertsInTheOrderOfTheAlgorithm)
{
    const std::string intMessage = "^Invalid Object type CBase::Int\\(\\)\n$";
    const std::string stringMessage = "^Invalid Object type CBase::String\n$";
    const CBase ok("abc"), n1(1), n0(0), wrong(5), wrongNumber("1");
    struct Case {
        const char* what;
        std::function<void()> run;
        const std::string& message;
    };
    const Case cases[] = {
        {"count before text", [&] { Strtran(wrong, ok, ok, n1, wrongNumber); }, intMessage},
        {"first before text", [&] { Strtran(wrong, ok, ok, wrongNumber, n1); }, intMessage},
        {"text even with count 0", [&] { Strtran(wrong, ok, ok, n1, n0); }, stringMessage},
        {"search even in an empty text", [&] { Strtran(CBase(""), wrong, ok, n1, n1); },
         stringMessage},
        {"replacement once an occurrence is found", [&] { Strtran(ok, CBase("c"), wrong); },
         stringMessage},
        {"Substr: text before start", [&] { Substr(wrong, wrongNumber, n1); }, stringMessage},
        {"Substr: start", [&] { Substr(ok, wrongNumber); }, intMessage},
        {"At: search", [&] { At(wrong, ok); }, stringMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(c.run(), ::testing::ExitedWithCode(1), c.message);
    }
}

TEST(CBaseErrorDeathTest, DefaultWritesToStderrAndExitsNormally)
{
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handlers ran\n", stderr); });
            CBaseError("Invalid Object type CBase::Int()");
        },
        ::testing::ExitedWithCode(1),
        "^Invalid Object type CBase::Int\\(\\)\nexit handlers ran\n$");
}

TEST(CBaseErrorDeathTest, HookShowsTheMessageBeforeExit)
{
    EXPECT_EXIT(
        {
            SetCBaseErrorHook([](const std::string& message) {
                std::fprintf(stderr, "hook saw [%s]\n", message.c_str());
            });
            CBase("12").Int();
        },
        ::testing::ExitedWithCode(1), "^hook saw \\[Invalid Object type CBase::Int\\(\\)\\]\n$");

    // A hook that throws cannot keep the process alive, nor lose the message.
    EXPECT_EXIT(
        {
            SetCBaseErrorHook([](const std::string&) { throw std::runtime_error("no display"); });
            CBase(1).String();
        },
        ::testing::ExitedWithCode(1), "^Invalid Object type CBase::String\n$");

    // Nor can one that fails the same way.
    EXPECT_EXIT(
        {
            SetCBaseErrorHook([](const std::string& message) {
                std::fprintf(stderr, "[%s]\n", message.c_str());
                CBase(1).String();
            });
            CBase(1).String();
        },
        ::testing::ExitedWithCode(1), "^\\[Invalid Object type CBase::String\\]\n$");
}

TEST(CBaseError, SetHookReturnsThePreviousOne)
{
    std::string seen;
    const CBaseErrorHook previous = SetCBaseErrorHook([&](const std::string& m) { seen = m; });
    EXPECT_FALSE(previous); // the default
    const CBaseErrorHook mine = SetCBaseErrorHook(previous);
    ASSERT_TRUE(mine);
    mine("x");
    EXPECT_EQ(seen, "x");
    EXPECT_FALSE(SetCBaseErrorHook({}));
}

} // namespace
