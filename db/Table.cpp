#include "db/Table.h"

#include "db/DbError.h"
#include "db/TableBackend.h"
#include "db/TablePath.h"

namespace db {

Table::Table() = default;
Table::~Table()
{
    close();
}

void Table::setTableName(std::string dosPath)
{
    if (active())
        throw DbError("Cannot change the table name of an open table: " + m_tableName);
    m_tableName = std::move(dosPath);
}

Table::Backend& Table::backend() const
{
    if (!m_backend)
        throw DbError("Cannot perform this operation on a closed dataset");
    return *m_backend;
}

std::vector<ColumnInfo> Table::openSource()
{
    setErrorContext(m_tableName);
    if (hasExtension(m_tableName, ".DBF"))
        m_backend = openDbfBackend(m_tableName, m_recordRange);
    else if (hasExtension(m_tableName, ".DB"))
        m_backend = openSqliteBackend(m_tableName);
    else
        throw DbError("Unknown table type: " + m_tableName);
    return m_backend->columns();
}

void Table::closeSource() noexcept
{
    m_backend.reset();
}

bool Table::sourceFirst()
{
    return backend().first();
}
bool Table::sourceNext()
{
    return backend().next();
}
bool Table::sourceIsNull(int column) const
{
    return backend().isNull(column);
}
std::string Table::sourceString(int column) const
{
    return backend().text(column);
}
double Table::sourceFloat(int column) const
{
    return backend().number(column);
}
void Table::sourceWrite(bool insert, const std::vector<FieldValue>& values)
{
    backend().write(insert, values);
}

void Table::setRecordRange(std::uint32_t begin, std::uint32_t end)
{
    m_recordRange = std::make_pair(begin, end);
}

void Table::clearRecordRange()
{
    m_recordRange.reset();
}

std::uint32_t Table::storedRecordCount() const
{
    const std::optional<std::uint32_t> count = backend().storedRecordCount();
    if (!count)
        throw DbError("Not a dBase table: " + m_tableName);
    return *count;
}

bool Table::findKey(const std::vector<std::string>& values)
{
    if (!active())
        throw DbError("Cannot perform this operation on a closed dataset");
    cancel();
    const bool found = backend().findKey(values);
    if (found)
        setPositioned();
    return found;
}

Table::BulkAppend::BulkAppend(Table& table, std::vector<Field*> fields)
    : m_table(table)
    , m_fields(std::move(fields))
{
    if (!table.active())
        throw DbError("Cannot perform this operation on a closed dataset");
    if (!table.m_backend->writable())
        throw DbError("Table is read only: " + table.tableName());
}

void Table::BulkAppend::add(std::span<const FieldValue> values)
{
    if (values.size() != m_fields.size())
        throw DbError("Wrong number of values for a bulk append: " + m_table.tableName());
    const std::size_t columns = static_cast<std::size_t>(m_table.columnCount());
    const std::size_t base = m_values.size();
    m_values.resize(base + columns);
    for (std::size_t i = 0; i < values.size(); ++i)
        m_values[base + static_cast<std::size_t>(m_fields[i]->column())] = values[i];
    ++m_rows;
    if (m_rows == kFlushRows)
        flush();
}

void Table::BulkAppend::flush()
{
    if (m_rows == 0)
        return;
    m_table.backend().bulkAppend(m_values, m_rows);
    m_values.clear();
    m_rows = 0;
}

void Table::startTransaction()
{
    backend().startTransaction();
}
void Table::commit()
{
    backend().commit();
}
void Table::rollback() noexcept
{
    if (m_backend)
        m_backend->rollback();
}

} // namespace db
