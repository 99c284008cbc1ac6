#include "db/TableBackend.h"

#include "db/DbError.h"
#include "db/DbfReader.h"
#include "db/TablePath.h"

namespace db {

namespace {

// A dBase table: columns as the engine types them, memo fields left out.
class DbfBackend final : public Table::Backend {
public:
    DbfBackend(const std::string& dosPath,
               const std::optional<std::pair<std::uint32_t, std::uint32_t>>& range)
        : m_path(dosPath)
        , m_reader(existingTableFile(dosPath), dosPath)
    {
        if (range)
            m_reader.setRange(range->first, range->second);
        const auto& fields = m_reader.fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const ColumnType type = dbfColumnType(fields[i]);
            if (type.type == FieldType::Memo)
                continue;
            m_columns.push_back({fields[i].name, type});
            m_fieldIndex.push_back(static_cast<int>(i));
        }
    }

    std::vector<ColumnInfo> columns() const override { return m_columns; }
    std::optional<std::uint32_t> storedRecordCount() const override
    {
        return m_reader.recordCount();
    }

    bool first() override
    {
        m_reader.rewind();
        return m_reader.next();
    }
    bool next() override { return m_reader.next(); }

    bool isNull(int column) const override
    {
        const int f = m_fieldIndex[static_cast<std::size_t>(column)];
        if (m_columns[static_cast<std::size_t>(column)].type.type == FieldType::Boolean)
            return !m_reader.logical(f).has_value();
        return false;
    }

    std::string text(int column) const override
    {
        const int f = m_fieldIndex[static_cast<std::size_t>(column)];
        switch (m_columns[static_cast<std::size_t>(column)].type.type) {
        case FieldType::Float:
        case FieldType::Integer:
        case FieldType::SmallInt:
            return std::string(m_reader.numberText(f));
        case FieldType::Boolean: {
            const auto v = m_reader.logical(f);
            return v ? (*v ? "True" : "False") : "";
        }
        default:
            return m_reader.text(f);
        }
    }

    double number(int column) const override
    {
        const int f = m_fieldIndex[static_cast<std::size_t>(column)];
        switch (m_columns[static_cast<std::size_t>(column)].type.type) {
        case FieldType::Float:
        case FieldType::Integer:
        case FieldType::SmallInt:
            return m_reader.number(f);
        case FieldType::Boolean:
            return m_reader.logical(f).value_or(false) ? 1.0 : 0.0;
        default:
            throw DbError("Field '" + m_columns[static_cast<std::size_t>(column)].name +
                          "' is not a number field: " + m_path);
        }
    }

    bool findKey(const std::vector<std::string>&) override
    {
        throw DbError("Table has no primary index: " + m_path);
    }
    void write(bool, const std::vector<FieldValue>&) override
    {
        throw DbError("Table is read only: " + m_path);
    }
    bool writable() const noexcept override { return false; }
    void bulkAppend(const std::vector<FieldValue>&, std::size_t) override
    {
        throw DbError("Table is read only: " + m_path);
    }
    void startTransaction() override {}
    void commit() override {}
    void rollback() noexcept override {}

private:
    std::string m_path;
    DbfReader m_reader;
    std::vector<ColumnInfo> m_columns;
    std::vector<int> m_fieldIndex; // column -> reader field
};

} // namespace

std::unique_ptr<Table::Backend>
openDbfBackend(const std::string& dosPath,
               const std::optional<std::pair<std::uint32_t, std::uint32_t>>& range)
{
    return std::make_unique<DbfBackend>(dosPath, range);
}

} // namespace db
