#pragma once

// What the sample and generated drives are made of: names, tax numbers, income codes, a year
// of payroll, the sample's companies. Plain data and pure functions; the drives are written
// by SampleDrive.cpp and GeneratedDrive.cpp.
#include "sample/DriveBuilder.h"
#include "sample/SampleDrive.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sample::data {

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

struct CompanyDef {
    Company company;
    int employees;
    int minSalary;
    int maxSalary;
};

double cents(double x);
std::string twoDigits(int n);
std::string fiveDigits(int n);
std::string personName(Prng& r);
std::string newCpf(Prng& r, std::set<std::string>& used);
std::string admissionBefore1999(Prng& r);
double salaryIn(const Profile& p, int month);
const char* typeOf(std::string_view code);
void addIncomeCodes(DriveBuilder& b);
RawRecord record(const std::string& company, const std::string& employee, const char* code,
                 const MonthlyAmounts& months);
std::vector<RawRecord> yearOfPayroll(const std::string& company, const std::string& employee,
                                     const Profile& p, Prng& r);
void removeCode(std::vector<RawRecord>& records, std::string_view code);
std::vector<CompanyDef> sampleCompanies();
bool is(const SampleEmployee& e, const std::string& company, const std::string& employee);
void addManyTaxableLines(std::vector<RawRecord>& out, const std::string& c, const std::string& e,
                         double salary, Prng& r);

} // namespace sample::data
