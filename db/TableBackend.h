#pragma once

// The back ends behind a table component: one per kind of table file.
#include "db/Table.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace db {

class Table::Backend {
public:
    virtual ~Backend() = default;
    virtual std::vector<ColumnInfo> columns() const = 0;
    virtual bool first() = 0;
    virtual bool next() = 0;
    virtual bool isNull(int column) const = 0;
    virtual std::string text(int column) const = 0;
    virtual double number(int column) const = 0;
    virtual bool findKey(const std::vector<std::string>& values) = 0;
    virtual void write(bool insert, const std::vector<FieldValue>& values) = 0;
    virtual void startTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    // The records the file holds, deleted ones included; none for tables that do not count so.
    virtual std::optional<std::uint32_t> storedRecordCount() const { return std::nullopt; }
    virtual bool writable() const noexcept = 0;
    // Inserts rows × columns values in one go; tables that cannot write refuse.
    virtual void bulkAppend(const std::vector<FieldValue>& values, std::size_t rows) = 0;
};

// A dBase table, read only; memo fields are left out. A range limits the records read.
std::unique_ptr<Table::Backend>
openDbfBackend(const std::string& dosPath,
               const std::optional<std::pair<std::uint32_t, std::uint32_t>>& range);

// A work table: an SQLite file holding one table.
std::unique_ptr<Table::Backend> openSqliteBackend(const std::string& dosPath);

} // namespace db
