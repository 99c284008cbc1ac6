#pragma once

#include "db/DataSet.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace db {

// A table opened by full path, its kind told by the extension: ".DBF" a dBase table, read
// only; ".DB" a work table (an SQLite file holding one table), read and written, searched on
// its primary key and read in its order.
class Table : public DataSet {
public:
    Table();
    ~Table() override;

    void setTableName(std::string dosPath);
    const std::string& tableName() const noexcept { return m_tableName; }

    // For a dBase table: read only the physical records [begin, end) (0-based), from the next
    // open on; clearRecordRange reads them all again.
    void setRecordRange(std::uint32_t begin, std::uint32_t end);
    void clearRecordRange();
    // Records the dBase table holds, deleted ones included.
    std::uint32_t storedRecordCount() const;

    // Positions the table on the record whose primary key is exactly these values.
    bool findKey(const std::vector<std::string>& values);

    // Appends many records at once, for filling a work table: each record gives values for
    // the listed persistent fields (the others stay empty). Records are written in batches;
    // flush writes the rest. Errors (a duplicate key) surface at the write of their batch.
    class BulkAppend {
    public:
        BulkAppend(Table& table, std::vector<Field*> fields);
        void add(std::span<const FieldValue> values);
        void flush();

    private:
        static constexpr std::size_t kFlushRows = 4096;
        Table& m_table;
        std::vector<Field*> m_fields;
        std::vector<FieldValue> m_values; // one per column, row after row
        std::size_t m_rows = 0;
    };

    void startTransaction();
    void commit();
    void rollback() noexcept;

    class Backend;

protected:
    std::vector<Column> openSource() override;
    void closeSource() noexcept override;
    bool sourceFirst() override;
    bool sourceNext() override;
    bool sourceIsNull(int column) const override;
    std::string sourceString(int column) const override;
    double sourceFloat(int column) const override;
    void sourceWrite(bool insert, const std::vector<FieldValue>& values) override;

private:
    Backend& backend() const;

    std::string m_tableName;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> m_recordRange;
    std::unique_ptr<Backend> m_backend;
};

} // namespace db
