#include "db/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(Collation, PortugueseOrder)
{
    std::vector<std::string> names = {"MARIA", "ÁLVARO", "alvaro", "ALVARO", "ANA",   "ANA MARIA",
                                      "ÉRICA", "ERICA",  "BRUNO",  "ÇAROL",  "CAROL", "ZÉLIA"};
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return db::comparePortuguese(a, b) < 0;
    });
    const std::vector<std::string> expected = {"alvaro",    "ALVARO", "ÁLVARO", "ANA",
                                               "ANA MARIA", "BRUNO",  "CAROL",  "ÇAROL",
                                               "ERICA",     "ÉRICA",  "MARIA",  "ZÉLIA"};
    EXPECT_EQ(names, expected);
}

TEST(Collation, OnlyIdenticalTextsAreEqual)
{
    EXPECT_EQ(db::comparePortuguese("01", "01"), 0);
    EXPECT_NE(db::comparePortuguese("ab", "AB"), 0);
    EXPECT_NE(db::comparePortuguese("á", "a"), 0);
    EXPECT_LT(db::comparePortuguese("40", "49"), 0);
    EXPECT_LT(db::comparePortuguese("49", "4X"), 0);
    EXPECT_GT(db::comparePortuguese("b", "a"), 0);
    EXPECT_LT(db::comparePortuguese("", "a"), 0);
    // Malformed UTF-8 orders without reading past the end.
    EXPECT_NE(db::comparePortuguese("\xC3", "\xC3\xA1"), 0);
}
