#include "sample/SampleData.h"

#include "sample/TaxNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sample::data {

double cents(double x)
{
    return std::round(x * 100.0) / 100.0;
}

namespace {

std::size_t characters(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

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

namespace {

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

} // namespace

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

namespace {

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

} // namespace

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

} // namespace sample::data
