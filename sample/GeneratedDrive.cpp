#include "sample/SampleDrive.h"

#include "sample/DbfStreamWriter.h"
#include "sample/SampleData.h"
#include "sample/TaxNumbers.h"

#include <stdexcept>
#include <string>

namespace sample {

using namespace data;

namespace {

constexpr const char* kTrades[] = {"CONFECÇÕES",    "TRANSPORTES", "COMERCIAL",   "INDÚSTRIA",
                                   "DISTRIBUIDORA", "CONSTRUTORA", "METALÚRGICA", "PANIFICADORA"};
constexpr const char* kBrands[] = {"ARAGUAIA",     "SERRA DO MAR", "IPÊ AMARELO", "BOA ESPERANÇA",
                                   "SÃO BENEDITO", "PLANALTO",     "RIO DOCE",    "CAMPO BELO",
                                   "JEQUITIBÁ",    "MARAJÓ"};
struct City {
    const char* name;
    const char* state;
    const char* zipPrefix;
    const char* areaCode;
};
constexpr City kCities[] = {
    {"SÃO PAULO", "SP", "01", "011"},      {"CURITIBA", "PR", "81", "041"},
    {"BELO HORIZONTE", "MG", "30", "031"}, {"GOIÂNIA", "GO", "74", "062"},
    {"FLORIANÓPOLIS", "SC", "88", "048"},  {"RIBEIRÃO PRETO", "SP", "14", "016"},
    {"MACEIÓ", "AL", "57", "082"},         {"BELÉM", "PA", "66", "091"}};

// Payroll code and its typical monthly amount as a share of the salary.
struct GeneratedCode {
    const char* code;
    double share;
};
constexpr GeneratedCode kGeneratedCodes[] = {
    {"41", 1.00}, {"42", 0.10}, {"45", 0.12}, {"90", 0.85}, {"40", 0.05}, {"61", 0.50},
    {"91", 0.08}, {"49", 0.02}, {"43", 0.03}, {"44", 0.15}, {"52", 0.20}, {"81", 0.02},
    {"46", 0.30}, {"47", 0.10}, {"48", 0.05}, {"56", 0.80}};

} // namespace

void checkGeneratedDriveOptions(const GeneratedDriveOptions& o)
{
    if (o.companies < 1 || o.companies > 99)
        throw std::invalid_argument("companies must be 1 to 99");
    if (o.employees < 1 || o.recordsPerEmployee < 1)
        throw std::invalid_argument("employees and records per employee must be positive");
    if ((o.employees + o.companies - 1) / o.companies > 99999)
        throw std::invalid_argument("more than 99999 employees in one company");
    if (static_cast<std::uint64_t>(o.employees) * static_cast<std::uint64_t>(o.recordsPerEmployee) >
        0xFFFFFFFFu)
        throw std::invalid_argument("too many raw records for one table");
}

void writeGeneratedDrive(const std::filesystem::path& root, const GeneratedDriveOptions& o)
{
    checkGeneratedDriveOptions(o);

    Prng r(o.seed);
    DriveBuilder b;
    for (int k = 1; k <= o.companies; ++k) {
        const City& city = r.pick(kCities);
        const bool person = k % 4 == 0;
        std::string name =
            person ? personName(r) : std::string(r.pick(kTrades)) + " " + r.pick(kBrands) + " LTDA";
        b.addCompany({.code = twoDigits(k),
                      .name = name,
                      .address = "RUA " + std::to_string(r.between(1, 120)) + ", " +
                                 std::to_string(r.between(10, 2999)),
                      .city = city.name,
                      .state = city.state,
                      .cnpj = person ? "" : cnpjWithCheckDigits(r.digits(8) + "0001"),
                      .cpf = person ? cpfWithCheckDigits(r.digits(9)) : "",
                      .phone = city.areaCode + std::to_string(r.between(2000000, 5999999)),
                      .district = "CENTRO",
                      .zip = city.zipPrefix + r.digits(6)});
    }
    addIncomeCodes(b);
    b.skip(DriveFile::Employees).skip(DriveFile::RawTable).write(root);

    DbfStreamWriter employees(drivePath(root, DriveFile::Employees),
                              b.columns(DriveFile::Employees), b.codePage());
    DbfStreamWriter raw(drivePath(root, DriveFile::RawTable), b.columns(DriveFile::RawTable),
                        b.codePage());
    const int perCompany = (o.employees + o.companies - 1) / o.companies;
    for (int n = 0; n < o.employees; ++n) {
        const std::string company = twoDigits(n / perCompany + 1);
        const std::string code = fiveDigits(n % perCompany + 1);
        const double salary = r.between(50, 900) * 10.0;
        employees.addRecord(b.values(Employee{.company = company,
                                              .code = code,
                                              .name = personName(r),
                                              .cpf = cpfWithCheckDigits(r.digits(9)),
                                              .admission = admissionBefore1999(r),
                                              .salary = salary}));
        for (int j = 0; j < o.recordsPerEmployee; ++j) {
            const GeneratedCode& g =
                kGeneratedCodes[static_cast<std::size_t>(j) % std::size(kGeneratedCodes)];
            RawRecord rec{.company = company,
                          .employee = code,
                          .code = g.code,
                          .type = typeOf(g.code),
                          .status = "F"};
            for (std::optional<double>& m : rec.months) {
                if (!r.chance(5))
                    m = cents(salary * g.share * r.between(80, 120) / 100.0);
            }
            raw.addRecord(b.values(rec), r.next() % 1000 == 0);
        }
    }
    employees.finish();
    raw.finish();
}

} // namespace sample
