#pragma once

#include <string>
#include <string_view>

namespace db {

struct DbfField;

// Logical field types, named as the engine's messages name them.
enum class FieldType { Unknown, String, SmallInt, Integer, Float, Boolean, Date, Memo };

const char* fieldTypeName(FieldType type) noexcept;

struct ColumnType {
    FieldType type = FieldType::Unknown;
    int size = 0; // characters, for String
};

// How the engine reads a dBase field: numbers with decimals (and F fields) as Float, whole
// numbers as SmallInt or Integer by width, wider ones as Float.
ColumnType dbfColumnType(const DbfField& field) noexcept;

// The declared SQL type for a dBase field, as the local SQL tables carry it.
std::string dbfDeclaredType(const DbfField& field);

// The logical type of an SQL declared type: CHAR(n) / VARCHAR(n) is String of n, NUMERIC,
// DECIMAL, FLOAT, REAL, DOUBLE and MONEY are Float, and so on.
ColumnType declaredColumnType(std::string_view declared);

} // namespace db
