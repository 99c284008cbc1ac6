#include "sample/SampleDrive.h"

#include "sample/SampleData.h"
#include "sample/TaxNumbers.h"

#include <set>
#include <string>

namespace sample {

using namespace data;

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

} // namespace sample
