#pragma once

#include "db/CodePages.h"
#include "sample/DbfWriter.h"

#include <array>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sample {

// The files of a payroll drive.
enum class DriveFile { Marker, Companies, Employees, IncomeCodes, RawTable };

// Where write() puts a file under the drive's root: FP/TELA.FP, FP/FP_EMP.DBF, FP/FP_FUN.DBF,
// FP/FP_INF.DBF, DIRF99/ir_cru.dbf (directories upper case, as on a drive copied from DOS).
std::filesystem::path drivePath(const std::filesystem::path& root, DriveFile file);

// A row of FP_EMP.DBF. Text is UTF-8; tax numbers and phone are digits only.
struct Company {
    std::string code{};     // EP_CODIGO
    std::string name{};     // EP_NOME
    std::string address{};  // EP_ENDERE
    std::string city{};     // EP_CIDADE
    std::string state{};    // EP_ESTADO
    std::string cnpj{};     // EP_CGC; blank when the employer is a person
    std::string cpf{};      // EP_CPF
    std::string phone{};    // EP_TELEFO
    std::string district{}; // EP_BAIRRO
    std::string zip{};      // EP_CEP
};

// A row of FP_FUN.DBF.
struct Employee {
    std::string company{};          // EP_CODIGO
    std::string code{};             // FU_CODIGO
    std::string name{};             // FU_NOME
    std::string cpf{};              // FU_CPF
    std::string admission{};        // FU_ADMISS, YYYYMMDD, or empty
    std::optional<double> salary{}; // FU_SALARI
};

// A row of FP_INF.DBF.
struct IncomeCode {
    std::string code{}; // IN_CODIGO
    std::string name{}; // IN_NOME
    std::string type{}; // IN_TIPO
};

// IR_01 to IR_12; a month without a value is left blank in the table.
using MonthlyAmounts = std::array<std::optional<double>, 12>;
MonthlyAmounts everyMonth(double amount);

// A row of ir_cru.dbf.
struct RawRecord {
    std::string company{};  // EP_CODIGO
    std::string employee{}; // FU_CODIGO
    std::string code{};     // IN_CODIGO, the payroll code
    MonthlyAmounts months{};
    std::string type{};           // IN_TIPO
    std::optional<double> vale{}; // IR_VALE
    std::string status{};         // IR_STATUS
    bool deleted = false;
};

// Builds a payroll drive for the sample and for test fixtures: the tables with the columns
// the payroll system writes (more than the program binds), and the marker file. Nothing is
// checked across tables, so a drive may hold records whose employee or code is missing.
class DriveBuilder {
public:
    DriveBuilder();

    DriveBuilder& addCompany(Company company);
    DriveBuilder& addEmployee(Employee employee);
    DriveBuilder& addIncomeCode(IncomeCode code);
    DriveBuilder& addRawRecord(RawRecord record);

    // Leaves the file out of write(), as on a drive where it is missing.
    DriveBuilder& skip(DriveFile file);
    // Code page of every table's text, named in the tables' language-driver byte.
    DriveBuilder& setCodePage(db::CodePage page);
    // A column the program does not read, appended to the table, with one value for all rows.
    DriveBuilder& addExtraColumn(DriveFile table, DbfColumn column, DbfValue value = {});
    // A standard column left out, or given another type or width; values are converted to
    // the new type (numbers as text with two decimals) and text cut to the width.
    DriveBuilder& omitColumn(DriveFile table, const std::string& name);
    DriveBuilder& replaceColumn(DriveFile table, DbfColumn column);

    // Creates FP and DIRF99 under root (root too, if missing) and writes every file not
    // skipped, replacing files of the same name. A skipped file is left as it is.
    void write(const std::filesystem::path& root) const;

    const std::vector<Company>& companies() const noexcept { return m_companies; }
    const std::vector<Employee>& employees() const noexcept { return m_employees; }
    const std::vector<IncomeCode>& incomeCodes() const noexcept { return m_incomeCodes; }
    const std::vector<RawRecord>& rawRecords() const noexcept { return m_rawRecords; }
    db::CodePage codePage() const noexcept { return m_codePage; }
    bool skipped(DriveFile file) const noexcept { return m_skipped.count(file) != 0; }

    // A table's columns as write() lays them out, and a row's values in that layout, for
    // writers that stream a large table themselves.
    const std::vector<DbfColumn>& columns(DriveFile table) const;
    std::vector<DbfValue> values(const Company& row) const;
    std::vector<DbfValue> values(const Employee& row) const;
    std::vector<DbfValue> values(const IncomeCode& row) const;
    std::vector<DbfValue> values(const RawRecord& row) const;

    // The columns as the payroll system writes them.
    static std::vector<DbfColumn> standardColumns(DriveFile table);

private:
    struct Layout {
        std::vector<DbfColumn> columns;
        // Per column: index of the standard column it takes its value from, or -1.
        std::vector<int> source;
        std::vector<bool> converted;
        std::vector<DbfValue> extra; // value of a column with source -1
    };

    Layout& layout(DriveFile table);
    const Layout& layout(DriveFile table) const;
    std::vector<DbfValue> arrange(DriveFile table, std::vector<DbfValue> standard) const;

    std::vector<Company> m_companies;
    std::vector<Employee> m_employees;
    std::vector<IncomeCode> m_incomeCodes;
    std::vector<RawRecord> m_rawRecords;
    std::set<DriveFile> m_skipped;
    db::CodePage m_codePage = db::CodePage::CP850;
    std::array<Layout, 4> m_layouts;
};

} // namespace sample
