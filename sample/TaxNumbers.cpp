#include "sample/TaxNumbers.h"

#include <algorithm>
#include <stdexcept>

namespace sample {
namespace {

bool allDigits(std::string_view s) noexcept
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool oneRepeatedDigit(std::string_view s) noexcept
{
    return std::all_of(s.begin(), s.end(), [&](char c) { return c == s.front(); });
}

// Weights run from the right, 2 upwards; the CNPJ's wrap back to 2 after 9.
char checkDigit(std::string_view digits, int maxWeight) noexcept
{
    int sum = 0;
    int weight = 2;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = weight == maxWeight ? 2 : weight + 1;
    }
    const int r = sum % 11;
    return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

std::string withCheckDigits(std::string_view base, std::size_t length, int maxWeight,
                            const char* what)
{
    if (base.size() != length || !allDigits(base))
        throw std::invalid_argument(std::string(what) + " base must be " + std::to_string(length) +
                                    " digits: " + std::string(base));
    std::string number(base);
    number.push_back(checkDigit(number, maxWeight));
    number.push_back(checkDigit(number, maxWeight));
    return number;
}

} // namespace

std::string cpfWithCheckDigits(std::string_view base)
{
    return withCheckDigits(base, 9, 11, "CPF");
}

std::string cnpjWithCheckDigits(std::string_view base)
{
    return withCheckDigits(base, 12, 9, "CNPJ");
}

bool isValidCpf(std::string_view cpf) noexcept
{
    if (cpf.size() != 11 || !allDigits(cpf) || oneRepeatedDigit(cpf))
        return false;
    return checkDigit(cpf.substr(0, 9), 11) == cpf[9] &&
           checkDigit(cpf.substr(0, 10), 11) == cpf[10];
}

bool isValidCnpj(std::string_view cnpj) noexcept
{
    if (cnpj.size() != 14 || !allDigits(cnpj) || oneRepeatedDigit(cnpj))
        return false;
    return checkDigit(cnpj.substr(0, 12), 9) == cnpj[12] &&
           checkDigit(cnpj.substr(0, 13), 9) == cnpj[13];
}

} // namespace sample
