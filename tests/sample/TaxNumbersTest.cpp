#include "sample/TaxNumbers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace sample;

// Worked out by hand: each check digit is 11 minus the weighted sum modulo 11, 0 when the
// remainder is 0 or 1. CPF weights 10..2 (then 11..2); CNPJ 5..2,9..2 (then 6..2,9..2).
TEST(TaxNumbers, CheckDigitsOfKnownNumbers)
{
    struct Case {
        const char* base;
        const char* number;
    };
    const Case cpfs[] = {
        {"111444777", "11144477735"},
        {"529982247", "52998224725"},
        {"123456789", "12345678909"}, // first remainder 1
        {"000000018", "00000001830"}, // second remainder 1
    };
    for (const Case& c : cpfs) {
        EXPECT_EQ(cpfWithCheckDigits(c.base), c.number);
        EXPECT_TRUE(isValidCpf(c.number)) << c.number;
    }
    const Case cnpjs[] = {
        {"112223330001", "11222333000181"},
        {"123456780001", "12345678000195"},
        {"112223330005", "11222333000505"}, // first remainder 0
        {"112223330050", "11222333005060"}, // second remainder 1
    };
    for (const Case& c : cnpjs) {
        EXPECT_EQ(cnpjWithCheckDigits(c.base), c.number);
        EXPECT_TRUE(isValidCnpj(c.number)) << c.number;
    }
}

TEST(TaxNumbers, RefusesWrongNumbers)
{
    for (const char* cpf :
         {"11144477736", "11144477753", "21144477735", "1114447773", "111444777350",
          "111.444.777-35", "1114447773A", "11111111111", "00000000000", ""})
        EXPECT_FALSE(isValidCpf(cpf)) << cpf;
    for (const char* cnpj : {"12345678000190", "11222333000118", "1122233300018",
                             "11.222.333/0001-81", "00000000000000", "11222333000181 "})
        EXPECT_FALSE(isValidCnpj(cnpj)) << cnpj;
    // A CPF is not a CNPJ, whatever its digits.
    EXPECT_FALSE(isValidCnpj("11144477735"));
}

TEST(TaxNumbers, BaseMustBeDigitsOfItsLength)
{
    for (const char* base : {"", "11144477", "1114447770", "11144477x"})
        EXPECT_THROW(cpfWithCheckDigits(base), std::invalid_argument) << base;
    for (const char* base : {"11222333000", "1122233300011", "11222333000a"})
        EXPECT_THROW(cnpjWithCheckDigits(base), std::invalid_argument) << base;
}

} // namespace
