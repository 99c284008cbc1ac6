#include "db/FieldType.h"

#include "db/DbfReader.h"

#include <cctype>
#include <charconv>

namespace db {

const char* fieldTypeName(FieldType type) noexcept
{
    switch (type) {
    case FieldType::String:
        return "String";
    case FieldType::SmallInt:
        return "SmallInt";
    case FieldType::Integer:
        return "Integer";
    case FieldType::Float:
        return "Float";
    case FieldType::Boolean:
        return "Boolean";
    case FieldType::Date:
        return "Date";
    case FieldType::Memo:
        return "Memo";
    case FieldType::Unknown:
        break;
    }
    return "Unknown";
}

ColumnType dbfColumnType(const DbfField& field) noexcept
{
    switch (field.type) {
    case 'C':
        return {FieldType::String, static_cast<int>(field.length)};
    case 'N':
        if (field.decimals > 0 || field.length >= 10)
            return {FieldType::Float, 0};
        return {field.length < 5 ? FieldType::SmallInt : FieldType::Integer, 0};
    case 'F':
        return {FieldType::Float, 0};
    case 'D':
        return {FieldType::Date, 0};
    case 'L':
        return {FieldType::Boolean, 0};
    case 'M':
        return {FieldType::Memo, 0};
    default:
        return {FieldType::Unknown, 0};
    }
}

std::string dbfDeclaredType(const DbfField& field)
{
    const ColumnType t = dbfColumnType(field);
    switch (t.type) {
    case FieldType::String:
        return "CHAR(" + std::to_string(t.size) + ")";
    case FieldType::SmallInt:
        return "SMALLINT";
    case FieldType::Integer:
        return "INTEGER";
    case FieldType::Float:
        return "NUMERIC(" + std::to_string(field.length) + "," + std::to_string(field.decimals) +
               ")";
    case FieldType::Boolean:
        return "BOOLEAN";
    case FieldType::Date:
        return "DATE";
    case FieldType::Memo:
        return "MEMO";
    case FieldType::Unknown:
        break;
    }
    return "UNKNOWN";
}

ColumnType declaredColumnType(std::string_view declared)
{
    std::string upper;
    for (char c : declared)
        upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    const std::size_t paren = upper.find('(');
    std::string base = upper.substr(0, paren);
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    int size = 0;
    if (paren != std::string::npos) {
        const char* first = upper.data() + paren + 1;
        while (*first == ' ')
            ++first;
        std::from_chars(first, upper.data() + upper.size(), size);
    }
    if (base == "CHAR" || base == "CHARACTER" || base == "VARCHAR")
        return {FieldType::String, size};
    if (base == "NUMERIC" || base == "DECIMAL" || base == "FLOAT" || base == "REAL" ||
        base == "DOUBLE" || base == "DOUBLE PRECISION" || base == "MONEY")
        return {FieldType::Float, 0};
    if (base == "SMALLINT")
        return {FieldType::SmallInt, 0};
    if (base == "INTEGER" || base == "INT")
        return {FieldType::Integer, 0};
    if (base == "BOOLEAN")
        return {FieldType::Boolean, 0};
    if (base == "DATE")
        return {FieldType::Date, 0};
    if (base == "MEMO" || base == "BLOB" || base == "TEXT")
        return {FieldType::Memo, 0};
    return {FieldType::Unknown, 0};
}

} // namespace db
