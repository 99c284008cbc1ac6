#pragma once

#include "db/DataSet.h"

#include <memory>
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

    // Positions the table on the record whose primary key is exactly these values.
    bool findKey(const std::vector<std::string>& values);

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
    std::unique_ptr<Backend> m_backend;
};

} // namespace db
