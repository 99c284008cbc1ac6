#pragma once

#include <string>
#include <string_view>

namespace sample {

// Brazilian tax numbers, digits only: the CPF of a person (9 digits and 2 check digits) and
// the CNPJ of a company (12 digits and 2 check digits), each check digit by modulus 11.

// The full number for a base of 9 (CPF) or 12 (CNPJ) digits; any other base is an error.
std::string cpfWithCheckDigits(std::string_view base);
std::string cnpjWithCheckDigits(std::string_view base);

// Exactly 11 (14) digits with matching check digits. A number of one repeated digit passes
// the arithmetic but is never issued, so it is refused.
bool isValidCpf(std::string_view cpf) noexcept;
bool isValidCnpj(std::string_view cnpj) noexcept;

} // namespace sample
