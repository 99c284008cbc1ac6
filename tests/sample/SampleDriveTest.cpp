#include "sample/SampleDrive.h"

#include "TableRows.h"
#include "db/FieldType.h"
#include "prep/TableDefs.h"
#include "sample/TaxNumbers.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

namespace {

using namespace sample;
using sampletest::amount;
using sampletest::readRows;
using sampletest::Row;
namespace fs = std::filesystem;

constexpr DriveFile kAllFiles[] = {DriveFile::Marker, DriveFile::Companies, DriveFile::Employees,
                                   DriveFile::IncomeCodes, DriveFile::RawTable};

// The sample, written once for the tests that only read it.
class SampleDrive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<testsupport::TempDir>();
        writeSampleDrive(s_dir->path());
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    static fs::path file(DriveFile f) { return drivePath(s_dir->path(), f); }
    static std::vector<Row> rows(DriveFile f) { return readRows(file(f)); }

    static std::vector<Row> rawOf(const SampleEmployee& e)
    {
        std::vector<Row> out;
        for (Row& r : rows(DriveFile::RawTable)) {
            if (r.at("EP_CODIGO") == e.company && r.at("FU_CODIGO") == e.employee)
                out.push_back(std::move(r));
        }
        return out;
    }
    static double yearTotal(const std::vector<Row>& raw, const std::string& code)
    {
        double total = 0;
        for (const Row& r : raw) {
            if (r.at("IN_CODIGO") == code) {
                for (int m = 1; m <= 12; ++m)
                    total += amount(r.at(month(m)));
            }
        }
        return total;
    }
    static std::string month(int m) { return (m < 10 ? "IR_0" : "IR_") + std::to_string(m); }

    static inline std::unique_ptr<testsupport::TempDir> s_dir;
};

TEST_F(SampleDrive, RecordCounts)
{
    EXPECT_TRUE(fs::is_regular_file(file(DriveFile::Marker)));
    EXPECT_EQ(rows(DriveFile::Companies).size(), 4u);
    EXPECT_EQ(rows(DriveFile::Employees).size(), 40u);
    EXPECT_EQ(rows(DriveFile::IncomeCodes).size(), 26u);
    const std::size_t live = rows(DriveFile::RawTable).size();
    EXPECT_GT(live, 200u);
    EXPECT_EQ(db::DbfReader(file(DriveFile::RawTable), "raw").recordCount(), live + 1)
        << "one deleted record";
}

// The program binds these fields by name, type and width; the sample must open.
TEST_F(SampleDrive, TablesHaveTheFieldsTheProgramBinds)
{
    const auto check = [](DriveFile table, const char* field, db::FieldType type, int size) {
        db::DbfReader r(file(table), "t");
        const int at = r.fieldIndex(field);
        ASSERT_GE(at, 0) << field;
        const db::DbfField& f = r.fields()[static_cast<std::size_t>(at)];
        const db::ColumnType t = db::dbfColumnType(f);
        EXPECT_EQ(t.type, type) << field;
        if (size > 0) {
            EXPECT_EQ(t.size, size) << field;
        }
        if (type == db::FieldType::Float) {
            EXPECT_EQ(f.decimals, 2u) << field;
        }
    };
    for (const prep::FieldDef& d : prep::rawTableFields())
        check(DriveFile::RawTable, d.field, d.type, d.size);
    for (const prep::PayrollColumn& c : prep::companyColumns())
        check(DriveFile::Companies, c.name, c.type, c.size);
    for (const prep::PayrollColumn& c : prep::employeeColumns())
        check(DriveFile::Employees, c.name, c.type, c.size);
    for (const prep::PayrollColumn& c : prep::incomeCodeColumns())
        check(DriveFile::IncomeCodes, c.name, c.type, c.size);
}

TEST_F(SampleDrive, TextIsCodePage850WithAccentsIntact)
{
    EXPECT_EQ(db::DbfReader(file(DriveFile::Companies), "emp").codePage(), db::CodePage::CP850);
    // "Ç" and "Õ" as code page 850 stores them.
    EXPECT_NE(testsupport::readFile(file(DriveFile::Companies))
                  .find("CONFEC\x80\xE5"
                        "ES"),
              std::string::npos);

    std::map<std::string, std::string> names;
    for (const Row& r : rows(DriveFile::IncomeCodes))
        names[r.at("IN_CODIGO")] = r.at("IN_NOME");
    EXPECT_EQ(names["44"], "PENSÃO ALIMENTÍCIA");
    EXPECT_EQ(names["61"], "13º SALÁRIO");
    EXPECT_EQ(names["52"], "DIÁRIAS E AJUDAS DE CUSTO");
    EXPECT_EQ(names["49"], "") << "the dependants' line prints its own label";
    EXPECT_EQ(rows(DriveFile::Companies)[0].at("EP_NOME"), "CONFECÇÕES ARAGUAIA LTDA");

    int accented = 0;
    for (const Row& r : rows(DriveFile::Employees)) {
        const std::string& name = r.at("FU_NOME");
        for (const char* lowerCase : {"a", "e", "o", "ã", "ç", "é", "í", "ó", "ú", "â", "ê", "ô"})
            EXPECT_EQ(name.find(lowerCase), std::string::npos) << name;
        accented += name.find('\xC3') != std::string::npos;
    }
    EXPECT_GE(accented, 10);
}

TEST_F(SampleDrive, TaxNumbersAreValid)
{
    std::set<std::string> cpfs;
    for (const Row& r : rows(DriveFile::Employees)) {
        EXPECT_TRUE(isValidCpf(r.at("FU_CPF"))) << r.at("FU_CPF");
        cpfs.insert(r.at("FU_CPF"));
    }
    EXPECT_EQ(cpfs.size(), 40u);
    for (const Row& r : rows(DriveFile::Companies)) {
        const std::string& code = r.at("EP_CODIGO");
        if (code == sampleCase::kPersonEmployer) {
            EXPECT_EQ(r.at("EP_CGC"), "");
        } else {
            EXPECT_TRUE(isValidCnpj(r.at("EP_CGC"))) << code;
        }
        const bool hasCpf = code == sampleCase::kPersonEmployer || code == sampleCase::kCnpjAndCpf;
        EXPECT_EQ(isValidCpf(r.at("EP_CPF")), hasCpf) << code;
        EXPECT_EQ(r.at("EP_TELEFO").size(), 10u) << code;
    }
}

TEST_F(SampleDrive, EveryRawCodeHasAName)
{
    std::set<std::string> known, used;
    for (const Row& r : rows(DriveFile::IncomeCodes))
        known.insert(r.at("IN_CODIGO"));
    for (const Row& r : rows(DriveFile::RawTable))
        used.insert(r.at("IN_CODIGO"));
    for (const std::string& code : used)
        EXPECT_TRUE(known.count(code)) << code;
    for (const char* code : {"40", "41", "45", "49", "52", "56", "61", "81", "90", "91"})
        EXPECT_TRUE(used.count(code)) << code;
}

TEST_F(SampleDrive, NotableCases)
{
    using namespace sampleCase;
    std::map<std::pair<std::string, std::string>, std::string> names;
    for (const Row& r : rows(DriveFile::Employees))
        names[{r.at("EP_CODIGO"), r.at("FU_CODIGO")}] = r.at("FU_NOME");
    const auto name = [&](const SampleEmployee& e) {
        return names[{e.company, e.employee}];
    };

    std::set<std::string> taxable;
    for (const Row& r : rawOf(kManyTaxableLines)) {
        if (r.at("IN_CODIGO")[0] == '4')
            taxable.insert(r.at("IN_CODIGO"));
    }
    EXPECT_GE(taxable.size(), 13u);
    EXPECT_TRUE(taxable.count("40") && taxable.count("49")) << "stored as 49 and 4X";

    const auto above = rawOf(kDeductionsAbove13th);
    EXPECT_GT(yearTotal(above, "61"), 0.0);
    EXPECT_GT(yearTotal(above, "91"), yearTotal(above, "61"));

    const auto without = rawOf(kDeductionsWithout13th);
    EXPECT_GT(yearTotal(without, "91"), 0.0);
    EXPECT_EQ(std::count_if(without.begin(), without.end(),
                            [](const Row& r) { return r.at("IN_CODIGO") == "61"; }),
              0);

    const auto duplicate = rawOf(kDuplicateKey);
    EXPECT_EQ(std::count_if(duplicate.begin(), duplicate.end(),
                            [](const Row& r) { return r.at("IN_CODIGO") == "41"; }),
              2);

    for (const Row& r : rawOf(kDeletedRecord))
        EXPECT_NE(r.at("IN_CODIGO"), "52") << "its 52 record is the deleted one";

    EXPECT_EQ(name(kSameNameFirst), name(kSameNameSecond));
    EXPECT_FALSE(name(kSameNameFirst).empty());

    for (const Row& r : rawOf(kAdmittedInJune)) {
        for (int m = 1; m <= 5; ++m)
            EXPECT_EQ(r.at(month(m)), "") << r.at("IN_CODIGO");
    }
    const auto dismissed = rawOf(kDismissedInAugust);
    for (const Row& r : dismissed) {
        for (int m = 9; m <= 12; ++m)
            EXPECT_EQ(r.at(month(m)), "") << r.at("IN_CODIGO");
    }
    EXPECT_GT(yearTotal(dismissed, "56"), 0.0);

    EXPECT_FALSE(rawOf(kNotInPayroll).empty());
    EXPECT_EQ(names.count({kNotInPayroll.company, kNotInPayroll.employee}), 0u);
}

TEST_F(SampleDrive, DeletedRecordIsThe52OfItsEmployee)
{
    // Read past the reader, which skips deleted records.
    const std::string bytes = testsupport::readFile(file(DriveFile::RawTable));
    db::DbfReader r(file(DriveFile::RawTable), "raw");
    const std::size_t header = 32 + 32 * r.fields().size() + 1;
    const std::size_t length = r.fields().back().offset + r.fields().back().length;
    std::vector<std::string> deleted;
    for (std::size_t at = header; at + length <= bytes.size(); at += length) {
        if (bytes[at] == '*')
            deleted.push_back(bytes.substr(at + 1, 9));
    }
    const std::string key = std::string(sampleCase::kDeletedRecord.company) +
                            sampleCase::kDeletedRecord.employee + "52";
    EXPECT_EQ(deleted, std::vector<std::string>{key});
}

TEST_F(SampleDrive, SameBytesEveryTime)
{
    testsupport::TempDir other;
    writeSampleDrive(other.path());
    for (DriveFile f : kAllFiles)
        EXPECT_EQ(testsupport::readFile(drivePath(other.path(), f)), testsupport::readFile(file(f)))
            << drivePath(other.path(), f);
}

TEST(GeneratedDrive, ReadsBackAndIsDeterministic)
{
    const GeneratedDriveOptions options{.employees = 31, .recordsPerEmployee = 40, .companies = 3};
    testsupport::TempDir one, two;
    writeGeneratedDrive(one.path(), options);
    writeGeneratedDrive(two.path(), options);
    for (DriveFile f : kAllFiles)
        EXPECT_EQ(testsupport::readFile(drivePath(one.path(), f)),
                  testsupport::readFile(drivePath(two.path(), f)));

    EXPECT_EQ(readRows(drivePath(one.path(), DriveFile::Companies)).size(), 3u);
    std::map<std::string, int> perCompany;
    std::set<std::pair<std::string, std::string>> employees;
    for (const Row& r : readRows(drivePath(one.path(), DriveFile::Employees))) {
        ++perCompany[r.at("EP_CODIGO")];
        employees.insert({r.at("EP_CODIGO"), r.at("FU_CODIGO")});
        EXPECT_TRUE(isValidCpf(r.at("FU_CPF")));
    }
    EXPECT_EQ(employees.size(), 31u);
    EXPECT_EQ(perCompany, (std::map<std::string, int>{{"01", 11}, {"02", 11}, {"03", 9}}));

    const fs::path rawFile = drivePath(one.path(), DriveFile::RawTable);
    EXPECT_EQ(db::DbfReader(rawFile, "raw").recordCount(), 31u * 40u);
    std::set<std::string> codes;
    for (const Row& r : readRows(rawFile)) {
        codes.insert(r.at("IN_CODIGO"));
        EXPECT_TRUE(employees.count({r.at("EP_CODIGO"), r.at("FU_CODIGO")}));
    }
    for (const char* code : {"40", "49", "61", "91"})
        EXPECT_TRUE(codes.count(code)) << code;

    testsupport::TempDir reseeded;
    GeneratedDriveOptions other = options;
    other.seed = 7;
    writeGeneratedDrive(reseeded.path(), other);
    EXPECT_NE(testsupport::readFile(drivePath(reseeded.path(), DriveFile::RawTable)),
              testsupport::readFile(rawFile));
}

TEST(GeneratedDrive, RefusesWhatCodesCannotHold)
{
    const GeneratedDriveOptions bad[] = {
        {.employees = 0},
        {.recordsPerEmployee = 0},
        {.companies = 0},
        {.companies = 100},
        {.employees = 400000, .recordsPerEmployee = 1, .companies = 4}, // 100000 in a company
        {.employees = 99999, .recordsPerEmployee = 50000, .companies = 1},
    };
    for (const GeneratedDriveOptions& o : bad)
        EXPECT_THROW(checkGeneratedDriveOptions(o), std::invalid_argument)
            << o.employees << " " << o.recordsPerEmployee << " " << o.companies;
    EXPECT_NO_THROW(checkGeneratedDriveOptions({.employees = 399996, .companies = 4}));
}

} // namespace
