#include "sample/DriveBuilder.h"

#include "TableRows.h"
#include "prep/TableDefs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace {

using namespace sample;
using sampletest::readRows;
namespace fs = std::filesystem;

constexpr DriveFile kAllFiles[] = {DriveFile::Marker, DriveFile::Companies, DriveFile::Employees,
                                   DriveFile::IncomeCodes, DriveFile::RawTable};

DriveBuilder smallDrive()
{
    DriveBuilder b;
    b.addCompany({.code = "01",
                  .name = "PADARIA SÃO JOÃO LTDA",
                  .address = "RUA DAS FLORES, 12",
                  .city = "SÃO PAULO",
                  .state = "SP",
                  .cnpj = "11222333000181",
                  .phone = "0112345678"});
    b.addCompany({.code = "02", .name = "JOSÉ DE ARAÚJO", .cpf = "11144477735"});
    b.addEmployee({.company = "01",
                   .code = "00001",
                   .name = "CONCEIÇÃO GONÇALVES",
                   .cpf = "52998224725",
                   .admission = "19900115",
                   .salary = 1200.0});
    b.addIncomeCode({.code = "41", .name = "TOTAL DOS RENDIMENTOS", .type = "R"});
    b.addRawRecord({.company = "01",
                    .employee = "00001",
                    .code = "41",
                    .months = everyMonth(1200.0),
                    .type = "R",
                    .vale = 480.0,
                    .status = "F"});
    MonthlyAmounts december;
    december[11] = 600.0;
    b.addRawRecord({.company = "01", .employee = "00001", .code = "61", .months = december});
    b.addRawRecord(
        {.company = "01", .employee = "00001", .code = "91", .months = {150.0}, .deleted = true});
    return b;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// ":\dirf99\ir_cru.dbf" as a path under a root, compared without regard to case.
std::string programPath(const char* afterLetter)
{
    std::string s = std::string(afterLetter).substr(2);
    std::replace(s.begin(), s.end(), '\\', '/');
    return lower(s);
}

TEST(DriveBuilder, WritesEveryFileWhereTheProgramLooksForIt)
{
    testsupport::TempDir dir;
    smallDrive().write(dir.path() / "new" / "root");
    const fs::path root = dir.path() / "new" / "root";
    const std::pair<DriveFile, const char*> files[] = {
        {DriveFile::Marker, prep::kMarkerPath},
        {DriveFile::Companies, prep::kCompaniesPath},
        {DriveFile::Employees, prep::kEmployeesPath},
        {DriveFile::IncomeCodes, prep::kIncomeCodesPath},
        {DriveFile::RawTable, prep::kRawTablePath}};
    for (const auto& [file, path] : files) {
        const fs::path p = drivePath(root, file);
        EXPECT_TRUE(fs::is_regular_file(p)) << p;
        EXPECT_GT(fs::file_size(p), 0u) << p;
        EXPECT_EQ(lower(p.lexically_relative(root).generic_string()), programPath(path));
    }
    EXPECT_TRUE(fs::is_directory(root / "FP"));
    EXPECT_TRUE(fs::is_directory(root / "DIRF99"));
}

TEST(DriveBuilder, TablesReadBackWithTheirColumnsAndValues)
{
    testsupport::TempDir dir;
    smallDrive().write(dir.path());

    for (DriveFile table : {DriveFile::Companies, DriveFile::Employees, DriveFile::IncomeCodes,
                            DriveFile::RawTable}) {
        db::DbfReader r(drivePath(dir.path(), table), "table");
        const std::vector<DbfColumn> expected = DriveBuilder::standardColumns(table);
        ASSERT_EQ(r.fields().size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(r.fields()[i].name, expected[i].name);
            EXPECT_EQ(r.fields()[i].type, expected[i].type);
            EXPECT_EQ(r.fields()[i].length, static_cast<unsigned>(expected[i].length));
            EXPECT_EQ(r.fields()[i].decimals, static_cast<unsigned>(expected[i].decimals));
        }
        EXPECT_EQ(r.languageDriver(), 0x02) << "code page 850";
    }

    const auto companies = readRows(drivePath(dir.path(), DriveFile::Companies));
    ASSERT_EQ(companies.size(), 2u);
    EXPECT_EQ(companies[0].at("EP_NOME"), "PADARIA SÃO JOÃO LTDA");
    EXPECT_EQ(companies[0].at("EP_CGC"), "11222333000181");
    EXPECT_EQ(companies[0].at("EP_CPF"), "");
    EXPECT_EQ(companies[1].at("EP_CGC"), "");
    EXPECT_EQ(companies[1].at("EP_CPF"), "11144477735");

    const auto employees = readRows(drivePath(dir.path(), DriveFile::Employees));
    ASSERT_EQ(employees.size(), 1u);
    EXPECT_EQ(employees[0].at("FU_NOME"), "CONCEIÇÃO GONÇALVES");
    EXPECT_EQ(employees[0].at("FU_ADMISS"), "19900115");
    EXPECT_EQ(employees[0].at("FU_SALARI"), "1200.00");

    const fs::path rawPath = drivePath(dir.path(), DriveFile::RawTable);
    const auto raw = readRows(rawPath);
    ASSERT_EQ(raw.size(), 2u) << "the deleted record is skipped";
    EXPECT_EQ(db::DbfReader(rawPath, "raw").recordCount(), 3u);
    EXPECT_EQ(raw[0].at("IN_CODIGO"), "41");
    EXPECT_EQ(raw[0].at("IN_TIPO"), "R");
    EXPECT_EQ(raw[0].at("IR_01"), "1200.00");
    EXPECT_EQ(raw[0].at("IR_12"), "1200.00");
    EXPECT_EQ(raw[0].at("IR_VALE"), "480.00");
    EXPECT_EQ(raw[0].at("IR_STATUS"), "F");
    EXPECT_EQ(raw[1].at("IN_CODIGO"), "61");
    EXPECT_EQ(raw[1].at("IR_11"), "") << "a month without a value is blank";
    EXPECT_EQ(raw[1].at("IR_12"), "600.00");
    EXPECT_EQ(raw[1].at("IR_VALE"), "");
}

TEST(DriveBuilder, SkippedFileIsNotWritten)
{
    for (DriveFile skipped : kAllFiles) {
        testsupport::TempDir dir;
        smallDrive().skip(skipped).write(dir.path());
        for (DriveFile file : kAllFiles)
            EXPECT_EQ(fs::exists(drivePath(dir.path(), file)), file != skipped)
                << drivePath(dir.path(), file) << " with file " << static_cast<int>(skipped)
                << " skipped";
        EXPECT_TRUE(fs::is_directory(dir / "DIRF99"));
    }
}

TEST(DriveBuilder, CodePageOfTheTables)
{
    struct Case {
        db::CodePage page;
        unsigned char driver;
        const char* stored; // "ÇÃ" of CONCEIÇÃO
    };
    const Case cases[] = {{db::CodePage::CP850, 0x02, "\x80\xC7"},
                          {db::CodePage::CP860, 0x24, "\x80\x8E"},
                          {db::CodePage::CP1252, 0x03, "\xC7\xC3"}};
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        smallDrive().setCodePage(c.page).write(dir.path());
        const fs::path file = drivePath(dir.path(), DriveFile::Employees);
        EXPECT_EQ(db::DbfReader(file, "fun").languageDriver(), c.driver);
        EXPECT_NE(testsupport::readFile(file).find(std::string("CONCEI") + c.stored + "O"),
                  std::string::npos);
        EXPECT_EQ(readRows(file)[0].at("FU_NOME"), "CONCEIÇÃO GONÇALVES");
    }
}

TEST(DriveBuilder, ExtraOmittedAndReplacedColumns)
{
    testsupport::TempDir dir;
    DriveBuilder b;
    b.addCompany({.code = "01", .name = "X"});
    b.addEmployee({.company = "01", .code = "00001", .name = "ANA"});
    MonthlyAmounts months;
    months[0] = 0.00004;
    months[1] = 1200.0;
    b.addRawRecord({.company = "01", .employee = "00001", .code = "41", .months = months});
    b.addExtraColumn(DriveFile::RawTable, {"IR_OBS", 'C', 10}, std::string("AJUSTE"))
        .addExtraColumn(DriveFile::Employees, {"FU_ATIVO", 'L', 1}, true)
        .omitColumn(DriveFile::RawTable, "IR_VALE")
        .replaceColumn(DriveFile::RawTable, {"IR_01", 'N', 15, 5})
        .replaceColumn(DriveFile::RawTable, {"IR_02", 'C', 12})
        .replaceColumn(DriveFile::Companies, {"EP_CODIGO", 'C', 1});
    b.write(dir.path());

    db::DbfReader raw(drivePath(dir.path(), DriveFile::RawTable), "raw");
    EXPECT_EQ(raw.fieldIndex("IR_VALE"), -1);
    EXPECT_EQ(raw.fields().back().name, "IR_OBS");
    EXPECT_EQ(raw.fields()[static_cast<std::size_t>(raw.fieldIndex("IR_02"))].type, 'C');
    ASSERT_TRUE(raw.next());
    EXPECT_EQ(raw.text(raw.fieldIndex("IR_OBS")), "AJUSTE");
    EXPECT_EQ(raw.number(raw.fieldIndex("IR_01")), 0.00004);
    EXPECT_EQ(raw.text(raw.fieldIndex("IR_02")), "1200.00");
    EXPECT_EQ(raw.text(raw.fieldIndex("IN_CODIGO")), "41");

    EXPECT_EQ(readRows(drivePath(dir.path(), DriveFile::Companies))[0].at("EP_CODIGO"), "0");
    EXPECT_EQ(readRows(drivePath(dir.path(), DriveFile::Employees))[0].at("FU_ATIVO"), "T");
}

TEST(DriveBuilder, RefusesWhatTheTablesCannotHold)
{
    DriveBuilder b;
    EXPECT_THROW(b.omitColumn(DriveFile::RawTable, "IR_13"), std::invalid_argument);
    EXPECT_THROW(b.replaceColumn(DriveFile::Employees, {"FU_NASC", 'D', 8}), std::invalid_argument);
    EXPECT_THROW(b.addExtraColumn(DriveFile::Companies, {"EP_NOME", 'C', 40}),
                 std::invalid_argument);
    EXPECT_THROW(b.addExtraColumn(DriveFile::Marker, {"X", 'C', 1}), std::invalid_argument);

    testsupport::TempDir dir;
    b.addEmployee({.company = "01", .code = "00001", .name = std::string(31, 'A')});
    try {
        b.write(dir.path());
        FAIL() << "a name of 31 characters was written";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("FP_FUN.DBF"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("FU_NOME"), std::string::npos) << e.what();
    }
}

} // namespace
