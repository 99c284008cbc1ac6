#pragma once

#include "db/FieldType.h"

#include <span>
#include <string>
#include <string_view>

namespace prep {

// Paths after the drive letter. Names are matched regardless of case on the drive.
inline constexpr const char* kMarkerPath = ":\\FP\\TELA.FP";
inline constexpr const char* kRawTablePath = ":\\dirf99\\ir_cru.dbf";
inline constexpr const char* kWorkTablePath = ":\\dirf99\\IR.DB";
inline constexpr const char* kCompaniesPath = ":\\fp\\FP_EMP.DBF";
inline constexpr const char* kEmployeesPath = ":\\fp\\FP_FUN.DBF";
inline constexpr const char* kIncomeCodesPath = ":\\fp\\FP_INF.DBF";

// The drive letter followed by the path after it: payrollPath('C', kRawTablePath).
std::string payrollPath(char drive, const char* afterLetter);

// A persistent field: component name, column, type and, for text, width.
struct FieldDef {
    const char* component;
    const char* field;
    db::FieldType type;
    int size;
};

// Raw withholding table ir_cru.dbf, bound by the table component DIRF.
std::span<const FieldDef> rawTableFields();
// Work table IR.DB, bound by the table component IR.
std::span<const FieldDef> workTableFields();

// A column of a payroll table as the report reads it: width and display mask (empty: none).
struct PayrollColumn {
    const char* name;
    db::FieldType type;
    int size; // 0: the width is the payroll system's
    const char* mask;
};
std::span<const PayrollColumn> companyColumns();    // FP_EMP.DBF
std::span<const PayrollColumn> employeeColumns();   // FP_FUN.DBF
std::span<const PayrollColumn> incomeCodeColumns(); // FP_INF.DBF

// The column of that name among the given ones; throws std::logic_error when there is none.
const PayrollColumn& column(std::span<const PayrollColumn> columns, std::string_view name);
const FieldDef& field(std::span<const FieldDef> fields, std::string_view name);

// The statements that drop and create the work table on a drive.
std::string dropWorkTableSql(char drive);
std::string createWorkTableSql(char drive);

} // namespace prep
