#include "prep/TableDefs.h"

#include <stdexcept>

namespace prep {

using db::FieldType;

std::string payrollPath(char drive, const char* afterLetter)
{
    return std::string(1, drive) + afterLetter;
}

std::span<const FieldDef> rawTableFields()
{
    static constexpr FieldDef fields[] = {
        {"DIRFEP_CODIGO", "EP_CODIGO", FieldType::String, 2},
        {"DIRFFU_CODIGO", "FU_CODIGO", FieldType::String, 5},
        {"DIRFIN_CODIGO", "IN_CODIGO", FieldType::String, 2},
        {"DIRFIN_TIPO", "IN_TIPO", FieldType::String, 1},
        {"DIRFIR_01", "IR_01", FieldType::Float, 0},
        {"DIRFIR_02", "IR_02", FieldType::Float, 0},
        {"DIRFIR_03", "IR_03", FieldType::Float, 0},
        {"DIRFIR_04", "IR_04", FieldType::Float, 0},
        {"DIRFIR_05", "IR_05", FieldType::Float, 0},
        {"DIRFIR_06", "IR_06", FieldType::Float, 0},
        {"DIRFIR_07", "IR_07", FieldType::Float, 0},
        {"DIRFIR_08", "IR_08", FieldType::Float, 0},
        {"DIRFIR_09", "IR_09", FieldType::Float, 0},
        {"DIRFIR_10", "IR_10", FieldType::Float, 0},
        {"DIRFIR_11", "IR_11", FieldType::Float, 0},
        {"DIRFIR_12", "IR_12", FieldType::Float, 0},
        {"DIRFIR_VALE", "IR_VALE", FieldType::Float, 0},
        {"DIRFIR_STATUS", "IR_STATUS", FieldType::String, 1},
    };
    return fields;
}

std::span<const FieldDef> workTableFields()
{
    static constexpr FieldDef fields[] = {
        {"IREP_CODIGO", "EP_CODIGO", FieldType::String, 2},
        {"IRFU_CODIGO", "FU_CODIGO", FieldType::String, 5},
        {"IRIN_CODIGO", "IN_CODIGO", FieldType::String, 2},
        {"IR_TOTAL", "IR_TOTAL", FieldType::Float, 0},
    };
    return fields;
}

std::span<const PayrollColumn> companyColumns()
{
    static constexpr PayrollColumn columns[] = {
        {"EP_CODIGO", FieldType::String, 0, ""},
        {"EP_NOME", FieldType::String, 35, ""},
        {"EP_ENDERE", FieldType::String, 30, ""},
        {"EP_CIDADE", FieldType::String, 15, ""},
        {"EP_ESTADO", FieldType::String, 2, ""},
        {"EP_CGC", FieldType::String, 14, "00\\.000\\.000\\/0000\\-00;0;_"},
        {"EP_CPF", FieldType::String, 11, "999.999.999-99;1;_"},
        {"EP_TELEFO", FieldType::String, 10, "\\(999\\)9000-0000;0;_"},
    };
    return columns;
}

std::span<const PayrollColumn> employeeColumns()
{
    static constexpr PayrollColumn columns[] = {
        {"EP_CODIGO", FieldType::String, 2, ""},
        {"FU_CODIGO", FieldType::String, 5, ""},
        {"FU_NOME", FieldType::String, 30, ""},
        {"FU_CPF", FieldType::String, 11, "999\\.999\\.999\\-99;0;_"},
    };
    return columns;
}

std::span<const PayrollColumn> incomeCodeColumns()
{
    static constexpr PayrollColumn columns[] = {
        {"IN_CODIGO", FieldType::String, 0, ""},
        {"IN_NOME", FieldType::String, 25, ""},
    };
    return columns;
}

const PayrollColumn& column(std::span<const PayrollColumn> columns, std::string_view name)
{
    for (const PayrollColumn& c : columns) {
        if (name == c.name)
            return c;
    }
    throw std::logic_error("No payroll column " + std::string(name));
}

const FieldDef& field(std::span<const FieldDef> fields, std::string_view name)
{
    for (const FieldDef& f : fields) {
        if (name == f.field)
            return f;
    }
    throw std::logic_error("No field " + std::string(name));
}

std::string dropWorkTableSql(char drive)
{
    return "DROP TABLE '" + payrollPath(drive, kWorkTablePath) + "'";
}

std::string createWorkTableSql(char drive)
{
    return "CREATE TABLE '" + payrollPath(drive, kWorkTablePath) +
           "' (EP_CODIGO CHAR(2),FU_CODIGO CHAR(5),IN_CODIGO CHAR(2),IR_TOTAL NUMERIC(16,2),"
           "PRIMARY KEY (EP_CODIGO,FU_CODIGO,IN_CODIGO))";
}

} // namespace prep
