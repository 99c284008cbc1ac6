#include "sample/SampleDrive.h"

#include "sample/DbfStreamWriter.h"
#include "sample/TaxNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sample {
namespace {

// splitmix64. The std:: distributions differ between library versions, and the sample must
// come out the same everywhere.
class Prng {
public:
    explicit Prng(std::uint64_t seed) noexcept
        : m_state(seed)
    {
    }

    std::uint64_t next() noexcept
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // lo to hi, both included.
    int between(int lo, int hi) noexcept
    {
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

    bool chance(int percent) noexcept { return between(1, 100) <= percent; }

    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) noexcept
    {
        return items[next() % N];
    }

    std::string digits(int count)
    {
        std::string s;
        for (int i = 0; i < count; ++i)
            s.push_back(static_cast<char>('0' + between(0, 9)));
        return s;
    }

private:
    std::uint64_t m_state;
};

double cents(double x)
{
    return std::round(x * 100.0) / 100.0;
}

std::size_t characters(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string twoDigits(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::string fiveDigits(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", n);
    return buf;
}

// ---- Names

constexpr const char* kMaleFirst[] = {
    "JOÃO",      "JOSÉ",    "ANTÔNIO",  "FRANCISCO", "CARLOS", "PAULO",   "PEDRO",      "LUCAS",
    "LUIZ",      "MARCOS",  "LUÍS",     "RAFAEL",    "DANIEL", "MARCELO", "EDUARDO",    "RAIMUNDO",
    "SEBASTIÃO", "JOAQUIM", "VALDIR",   "GERALDO",   "SÉRGIO", "FÁBIO",   "MÁRIO",      "CLÁUDIO",
    "ROGÉRIO",   "ANDRÉ",   "VINÍCIUS", "OTÁVIO",    "MOACIR", "EMERSON", "WELLINGTON", "JOSUÉ"};
constexpr const char* kMaleSecond[] = {"CARLOS",  "HENRIQUE", "ROBERTO", "AUGUSTO",
                                       "BATISTA", "EDUARDO",  "ANTÔNIO", "LUIZ",
                                       "PAULO",   "FERNANDO", "JOSÉ",    "ALBERTO"};
constexpr const char* kFemaleFirst[] = {
    "MARIA",     "ANA",     "FRANCISCA", "ANTÔNIA", "ADRIANA",   "JULIANA",   "MÁRCIA",  "FERNANDA",
    "PATRÍCIA",  "ALINE",   "SANDRA",    "CAMILA",  "JÉSSICA",   "LETÍCIA",   "JÚLIA",   "LUCIANA",
    "VANESSA",   "MARIANA", "VERA",      "LÚCIA",   "CONCEIÇÃO", "ROSÂNGELA", "CLÁUDIA", "SÔNIA",
    "TEREZINHA", "GLÓRIA",  "INÊS",      "CECÍLIA", "DÉBORA",    "MÔNICA",    "RENATA",  "IRACEMA"};
constexpr const char* kFemaleSecond[] = {"APARECIDA", "LÚCIA",      "DE FÁTIMA", "DA CONCEIÇÃO",
                                         "HELENA",    "CRISTINA",   "REGINA",    "BEATRIZ",
                                         "CECÍLIA",   "DAS GRAÇAS", "JOSÉ",      "LUÍSA"};
constexpr const char* kSurnames[] = {
    "DOS SANTOS", "DE OLIVEIRA",   "DE SOUZA",   "RODRIGUES",  "FERREIRA", "ALVES",
    "PEREIRA",    "LIMA",          "GOMES",      "RIBEIRO",    "CARVALHO", "DE ALMEIDA",
    "LOPES",      "SOARES",        "FERNANDES",  "VIEIRA",     "BARBOSA",  "DA ROCHA",
    "DIAS",       "DO NASCIMENTO", "DE ANDRADE", "MOREIRA",    "NUNES",    "MARQUES",
    "MACHADO",    "MENDES",        "DE FREITAS", "CAVALCANTI", "MONTEIRO", "GONÇALVES",
    "DE ARAÚJO",  "DA CONCEIÇÃO",  "ASSUNÇÃO",   "BRANDÃO",    "FALCÃO",   "GUIMARÃES",
    "DAMASCENO",  "DA PAIXÃO",     "ROMÃO",      "SIMÕES",     "GALVÃO",   "TAVARES",
    "TEIXEIRA",   "CORRÊA",        "PIMENTEL",   "QUEIRÓS",    "BEZERRA",  "DE AZEVEDO",
    "CASTRO",     "FONSECA",       "MEDEIROS",   "PINTO",      "SAMPAIO",  "DO PRADO",
    "DA SILVA",   "COSTA",         "ARRUDA",     "MENDONÇA",   "LEMOS",    "BRITO"};

// Appends a part unless its last word is already in the name (no "DA CONCEIÇÃO" twice).
bool addPart(std::string& name, std::string_view part)
{
    const std::string_view last = part.substr(part.rfind(' ') + 1);
    const std::string padded = " " + name + " ";
    if (padded.find(" " + std::string(last) + " ") != std::string::npos)
        return false;
    name += ' ';
    name += part;
    return true;
}

// Given names and surnames combined at random, upper case, at most 30 characters.
std::string personName(Prng& r)
{
    for (;;) {
        const bool female = r.chance(50);
        std::string name = female ? r.pick(kFemaleFirst) : r.pick(kMaleFirst);
        if (r.chance(40))
            addPart(name, female ? r.pick(kFemaleSecond) : r.pick(kMaleSecond));
        const int surnames = r.chance(55) ? 2 : 1;
        for (int added = 0; added < surnames;)
            added += addPart(name, r.pick(kSurnames)) ? 1 : 0;
        if (characters(name) <= 30)
            return name;
    }
}

std::string newCpf(Prng& r, std::set<std::string>& used)
{
    for (;;) {
        std::string cpf = cpfWithCheckDigits(r.digits(9));
        if (isValidCpf(cpf) && used.insert(cpf).second)
            return cpf;
    }
}

std::string admissionBefore1999(Prng& r)
{
    return std::to_string(r.between(1978, 1998)) + twoDigits(r.between(1, 12)) +
           twoDigits(r.between(1, 28));
}

// ---- Income codes

struct IncomeCodeDef {
    const char* code;
    const char* name;
    const char* type; // R rendimento, D dedução, I imposto, E isento, X exclusivo, C, B
};

constexpr IncomeCodeDef kIncomeCodes[] = {
    {"40", "DEPENDENTES", "D"},
    {"41", "TOTAL DOS RENDIMENTOS", "R"},
    {"42", "CONTRIB. PREVID. OFICIAL", "D"},
    {"43", "PREVIDÊNCIA PRIVADA", "D"},
    {"44", "PENSÃO ALIMENTÍCIA", "D"},
    {"45", "IMPOSTO RETIDO NA FONTE", "I"},
    {"46", "RENDIMENTOS DE FÉRIAS", "R"},
    {"47", "HORAS EXTRAS", "R"},
    {"48", "ADICIONAL NOTURNO", "R"},
    // Raw "40" is stored as "49", printed as the dependants' line: no name of its own.
    {"49", "", "D"},
    {"4A", "COMISSÕES", "R"},
    {"4B", "GRATIFICAÇÕES", "R"},
    {"4C", "ADICIONAL INSALUBRIDADE", "R"},
    {"4D", "ADICIONAL PERICULOSIDADE", "R"},
    {"4E", "PARTICIPAÇÃO NOS LUCROS", "R"},
    // Raw "49" is stored as "4X".
    {"4X", "OUTRAS DEDUÇÕES", "D"},
    {"51", "PARCELA ISENTA APOSENTAD.", "E"},
    {"52", "DIÁRIAS E AJUDAS DE CUSTO", "E"},
    {"53", "PENSÃO MOLÉSTIA GRAVE", "E"},
    {"54", "LUCROS E DIVIDENDOS", "E"},
    {"55", "RETIRADAS SÓCIO ME/EPP", "E"},
    {"56", "INDENIZAÇÕES RESCISÃO", "E"},
    {"61", "13º SALÁRIO", "X"},
    {"81", "ASSISTÊNCIA MÉDICA", "C"},
    {"90", "BASE DE CÁLCULO DO IRRF", "B"},
    {"91", "DEDUÇÕES DO 13º SALÁRIO", "D"},
};

const char* typeOf(std::string_view code)
{
    for (const IncomeCodeDef& c : kIncomeCodes) {
        if (code == c.code)
            return c.type;
    }
    return "";
}

void addIncomeCodes(DriveBuilder& b)
{
    for (const IncomeCodeDef& c : kIncomeCodes)
        b.addIncomeCode({.code = c.code, .name = c.name, .type = c.type});
}

// ---- A year of payroll

constexpr double kDependantDeduction = 90.0; // per dependant and month

double inss1999(double gross)
{
    const double rate = gross <= 376.60   ? 0.0782
                        : gross <= 392.00 ? 0.0882
                        : gross <= 653.33 ? 0.09
                                          : 0.11;
    return cents(std::min(gross, 1255.32) * rate);
}

double irrf1999(double base)
{
    const double tax = base <= 900.0    ? 0.0
                       : base <= 1800.0 ? base * 0.15 - 135.0
                                        : base * 0.275 - 360.0;
    return std::max(0.0, cents(tax));
}

struct Profile {
    double salary = 0; // until April; 6% more from May, the category's base month
    int dependants = 0;
    int firstMonth = 1;
    int lastMonth = 12;
    bool pension = false;
    bool privatePension = false;
    bool travels = false;
    bool healthPlan = false;
};

double salaryIn(const Profile& p, int month)
{
    return month >= 5 ? cents(p.salary * 1.06) : p.salary;
}

RawRecord record(const std::string& company, const std::string& employee, const char* code,
                 const MonthlyAmounts& months)
{
    return {.company = company,
            .employee = employee,
            .code = code,
            .months = months,
            .type = typeOf(code),
            .status = "F"};
}

std::vector<RawRecord> yearOfPayroll(const std::string& company, const std::string& employee,
                                     const Profile& p, Prng& r)
{
    MonthlyAmounts gross, inss, dependants, pension, privatePension, tax, base, travel, health;
    for (int m = p.firstMonth; m <= p.lastMonth; ++m) {
        const std::size_t i = static_cast<std::size_t>(m - 1);
        const double salary = salaryIn(p, m);
        const double overtime = r.chance(25) ? cents(salary * r.between(3, 15) / 100.0) : 0.0;
        const double g = salary + overtime;
        const double ss = inss1999(g);
        const double d = p.dependants * kDependantDeduction;
        const double pe = p.pension ? cents((g - ss) * 0.20) : 0.0;
        const double pp = p.privatePension ? cents(g * 0.03) : 0.0;
        const double b = std::max(0.0, cents(g - ss - d - pe - pp));
        gross[i] = g;
        inss[i] = ss;
        dependants[i] = d;
        pension[i] = pe;
        privatePension[i] = pp;
        base[i] = b;
        tax[i] = irrf1999(b);
        if (p.travels && r.chance(50))
            travel[i] = r.between(12, 90) * 10.0;
        if (p.healthPlan)
            health[i] = 38.50 * (1 + p.dependants);
    }

    std::vector<RawRecord> out;
    out.push_back(record(company, employee, "41", gross));
    out.back().vale = cents(p.salary * 0.4);
    out.push_back(record(company, employee, "42", inss));
    if (p.privatePension)
        out.push_back(record(company, employee, "43", privatePension));
    if (p.pension)
        out.push_back(record(company, employee, "44", pension));
    out.push_back(record(company, employee, "45", tax));
    if (p.dependants > 0)
        out.push_back(record(company, employee, "40", dependants));
    if (std::any_of(travel.begin(), travel.end(), [](auto& v) { return v.has_value(); }))
        out.push_back(record(company, employee, "52", travel));
    if (p.healthPlan)
        out.push_back(record(company, employee, "81", health));
    out.push_back(record(company, employee, "90", base));

    // 13th salary, in proportion to the months worked: two halves in November and December,
    // or all of it on dismissal with the indemnity.
    const int worked = p.lastMonth - p.firstMonth + 1;
    const double salary = salaryIn(p, p.lastMonth);
    const double thirteenth = cents(salary * worked / 12.0);
    const double thirteenthInss = inss1999(thirteenth);
    const double deductions = cents(thirteenthInss + p.dependants * kDependantDeduction +
                                    (p.pension ? (thirteenth - thirteenthInss) * 0.20 : 0.0));
    MonthlyAmounts paid, deducted;
    const auto last = static_cast<std::size_t>(p.lastMonth - 1);
    if (p.lastMonth == 12 && p.firstMonth <= 11) {
        paid[10] = cents(thirteenth / 2);
        paid[11] = cents(thirteenth - *paid[10]);
    } else {
        paid[last] = thirteenth;
    }
    deducted[last] = deductions;
    out.push_back(record(company, employee, "61", paid));
    out.push_back(record(company, employee, "91", deducted));
    if (p.lastMonth < 12) {
        MonthlyAmounts indemnity;
        indemnity[last] = cents(salary * (1.0 + worked / 12.0));
        out.push_back(record(company, employee, "56", indemnity));
    }
    return out;
}

void removeCode(std::vector<RawRecord>& records, std::string_view code)
{
    std::erase_if(records, [&](const RawRecord& r) { return r.code == code; });
}

// ---- The sample's companies

struct CompanyDef {
    Company company;
    int employees;
    int minSalary;
    int maxSalary;
};

std::vector<CompanyDef> sampleCompanies()
{
    return {
        {{.code = "01",
          .name = "CONFECÇÕES ARAGUAIA LTDA",
          .address = "RUA DAS TECELÃS, 482",
          .city = "SÃO PAULO",
          .state = "SP",
          .cnpj = cnpjWithCheckDigits("475231180001"),
          .phone = "0112213456",
          .district = "BOM RETIRO",
          .zip = "01124020"},
         14,
         500,
         2400},
        {{.code = "02",
          .name = "TRANSPORTES SERRA DO MAR LTDA",
          .address = "AV. DAS ARAUCÁRIAS, 3120",
          .city = "CURITIBA",
          .state = "PR",
          .cnpj = cnpjWithCheckDigits("812940650001"),
          .cpf = cpfWithCheckDigits("318462075"),
          .phone = "0413294417",
          .district = "PORTÃO",
          .zip = "81070100"},
         12,
         700,
         3600},
        {{.code = "03",
          .name = "COMERCIAL IPÊ AMARELO DE ALIMENTOS",
          .address = "RUA DOS CAJUEIROS, 915",
          .city = "BELO HORIZONTE",
          .state = "MG",
          .cnpj = cnpjWithCheckDigits("208573310001"),
          .phone = "0312716630",
          .district = "FUNCIONÁRIOS",
          .zip = "30140071"},
         10,
         500,
         9000},
        {{.code = "04",
          .name = "HÉLIO DE ASSUNÇÃO FONSECA",
          .address = "RUA 87, 214",
          .city = "GOIÂNIA",
          .state = "GO",
          .cpf = cpfWithCheckDigits("407183296"),
          .phone = "0622415590",
          .district = "SETOR SUL",
          .zip = "74083010"},
         4,
         500,
         1100},
    };
}

bool is(const SampleEmployee& e, const std::string& company, const std::string& employee)
{
    return company == e.company && employee == e.employee;
}

// The extra section-3 lines that make one statement run onto a second page.
void addManyTaxableLines(std::vector<RawRecord>& out, const std::string& c, const std::string& e,
                         double salary, Prng& r)
{
    MonthlyAmounts vacation, overtime, night, commission, bonus, unhealthy, hazard, profit, other;
    vacation[0] = cents(salary * 4 / 3);
    bonus[11] = cents(salary * 0.5);
    profit[7] = 1850.00;
    for (std::size_t m = 0; m < 12; ++m) {
        if (r.chance(60))
            overtime[m] = cents(salary * r.between(2, 12) / 100.0);
        night[m] = cents(salary * 0.08);
        commission[m] = r.between(30, 140) * 10.0;
        unhealthy[m] = 27.20; // 20% of the minimum wage
        hazard[m] = cents(salary * 0.30);
        other[m] = 45.00;
    }
    out.push_back(record(c, e, "46", vacation));
    out.push_back(record(c, e, "47", overtime));
    out.push_back(record(c, e, "48", night));
    out.push_back(record(c, e, "49", other));
    out.push_back(record(c, e, "4A", commission));
    out.push_back(record(c, e, "4B", bonus));
    out.push_back(record(c, e, "4C", unhealthy));
    out.push_back(record(c, e, "4D", hazard));
    out.push_back(record(c, e, "4E", profit));
}

} // namespace

DriveBuilder sampleDrive()
{
    using namespace sampleCase;
    Prng r(19991231);
    DriveBuilder b;
    std::set<std::string> cpfs;
    std::set<std::string> names;
    const std::string sameName = "MARIA APARECIDA DOS SANTOS";
    names.insert(sameName);

    for (const CompanyDef& def : sampleCompanies()) {
        b.addCompany(def.company);
        const std::string& c = def.company.code;
        for (int n = 1; n <= def.employees; ++n) {
            const std::string e = fiveDigits(n);
            Profile p;
            p.salary = r.between(def.minSalary / 10, def.maxSalary / 10) * 10.0;
            p.dependants = r.chance(45) ? r.between(1, 4) : 0;
            p.privatePension = p.salary > 3000 && r.chance(50);
            p.pension = r.chance(8);
            p.travels = c == "02" && r.chance(60);
            p.healthPlan = c == "03";
            std::string admission = admissionBefore1999(r);

            if (is(kManyTaxableLines, c, e)) {
                p = {.salary = 6800, .dependants = 2, .pension = true, .privatePension = true};
            } else if (is(kDeductionsAbove13th, c, e)) {
                p = {.salary = 600, .dependants = 3, .firstMonth = 11};
                admission = "19991103";
            } else if (is(kAdmittedInJune, c, e)) {
                p.firstMonth = 6;
                admission = "19990601";
            } else if (is(kDismissedInAugust, c, e)) {
                p.lastMonth = 8;
            } else if (is(kDeletedRecord, c, e)) {
                p.travels = true;
            }

            std::string name;
            if (is(kSameNameFirst, c, e) || is(kSameNameSecond, c, e)) {
                name = sameName;
            } else {
                do
                    name = personName(r);
                while (!names.insert(name).second);
            }
            b.addEmployee({.company = c,
                           .code = e,
                           .name = name,
                           .cpf = newCpf(r, cpfs),
                           .admission = admission,
                           .salary = salaryIn(p, 12)});

            std::vector<RawRecord> records = yearOfPayroll(c, e, p, r);
            if (is(kManyTaxableLines, c, e))
                addManyTaxableLines(records, c, e, p.salary, r);
            if (is(kDeductionsWithout13th, c, e))
                removeCode(records, "61");
            if (is(kDuplicateKey, c, e)) {
                MonthlyAmounts difference;
                difference[10] = 85.40;
                difference[11] = 85.40;
                records.push_back(record(c, e, "41", difference));
            }
            if (is(kDeletedRecord, c, e)) {
                removeCode(records, "52");
                MonthlyAmounts cancelled;
                cancelled[2] = 480.00;
                records.push_back(record(c, e, "52", cancelled));
                records.back().deleted = true;
            }
            for (RawRecord& rec : records)
                b.addRawRecord(std::move(rec));
        }
        if (c == kNotInPayroll.company) {
            const Profile p{.salary = 1500};
            std::vector<RawRecord> records = yearOfPayroll(c, kNotInPayroll.employee, p, r);
            std::erase_if(records, [](const RawRecord& rec) {
                return rec.code != "41" && rec.code != "42" && rec.code != "45";
            });
            for (RawRecord& rec : records)
                b.addRawRecord(std::move(rec));
        }
    }
    addIncomeCodes(b);
    return b;
}

void writeSampleDrive(const std::filesystem::path& root)
{
    sampleDrive().write(root);
}

// ---- Generated drives

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
