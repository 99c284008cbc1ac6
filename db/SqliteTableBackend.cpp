#include "db/TableBackend.h"

#include "db/DbError.h"
#include "db/Sqlite.h"
#include "db/TablePath.h"

#include <algorithm>

namespace db {

namespace {

// A work table: an SQLite file holding one table, read in primary-key order. A row is known by
// its primary key (the table may have no rowid), or by its rowid when it has no key.
class SqliteBackend final : public Table::Backend {
public:
    explicit SqliteBackend(const std::string& dosPath)
        : m_path(dosPath)
    {
        const std::filesystem::path file = existingTableFile(dosPath);
        m_db = SqliteDb(file.string(), SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(m_db.get(), 2000);
        try {
            findTable();
        } catch (const DbError& e) {
            throw DbError("Not a work table (" + std::string(e.what()) + "): " + m_path);
        }
        std::string columns = m_key.empty() ? "rowid" : "";
        for (const ColumnInfo& c : m_columns)
            columns += (columns.empty() ? "" : ", ") + quoteIdentifier(c.name);
        m_select = "SELECT " + columns + " FROM " + quoteIdentifier(m_table);
        m_order = " ORDER BY " + keyList();
        m_firstColumn = m_key.empty() ? 1 : 0;
    }

    ~SqliteBackend() override
    {
        m_cursor = {};
        m_find = {};
        m_insert = {};
        m_update = {};
        m_bulk = {};
        rollback();
    }

    std::vector<ColumnInfo> columns() const override { return m_columns; }

    bool first() override
    {
        m_cursor = SqliteStatement(m_db, m_select + m_order);
        m_reseek = false;
        return load(m_cursor);
    }

    bool next() override
    {
        if (m_reseek) {
            // The table changed or the cursor jumped: continue after the current row.
            m_cursor = SqliteStatement(m_db, m_select + " WHERE (" + keyList() + ") > (" +
                                                 marks(identityCount()) + ")" + m_order);
            bindIdentity(m_cursor, 1);
            m_reseek = false;
        }
        return load(m_cursor);
    }

    bool isNull(int column) const override { return m_row[static_cast<std::size_t>(column)].null; }
    std::string text(int column) const override
    {
        const FieldValue& v = m_row[static_cast<std::size_t>(column)];
        return v.null ? std::string() : v.text;
    }
    double number(int column) const override
    {
        const FieldValue& v = m_row[static_cast<std::size_t>(column)];
        return v.null ? 0.0 : v.number;
    }

    bool findKey(const std::vector<std::string>& values) override
    {
        if (m_key.empty())
            throw DbError("Table has no primary index: " + m_path);
        if (values.size() != m_key.size())
            throw DbError("Key has " + std::to_string(m_key.size()) + " fields: " + m_path);
        if (!m_find)
            m_find = SqliteStatement(m_db, m_select + " WHERE " + keyEquals());
        m_find.reset();
        for (std::size_t i = 0; i < values.size(); ++i)
            m_find.bindText(static_cast<int>(i) + 1, values[i]);
        std::vector<FieldValue> savedRow = m_row;
        std::vector<FieldValue> savedIdentity = m_identity;
        const long long savedRowid = m_rowid;
        const bool found = load(m_find);
        m_find.reset();
        if (found) {
            m_reseek = true;
        } else {
            m_row = std::move(savedRow);
            m_identity = std::move(savedIdentity);
            m_rowid = savedRowid;
        }
        return found;
    }

    void write(bool insert, const std::vector<FieldValue>& values) override
    {
        SqliteStatement& s = insert ? m_insert : m_update;
        if (!s) {
            std::string sql;
            if (insert) {
                sql = "INSERT INTO " + quoteIdentifier(m_table) + " (" + columnList() +
                      ") VALUES (" + marks(m_columns.size()) + ")";
            } else {
                std::string sets;
                for (std::size_t i = 0; i < m_columns.size(); ++i)
                    sets += (i ? ", " : "") + quoteIdentifier(m_columns[i].name) + " = ?";
                sql = "UPDATE " + quoteIdentifier(m_table) + " SET " + sets + " WHERE " +
                      (m_key.empty() ? std::string("rowid = ?") : keyEquals());
            }
            s = SqliteStatement(m_db, sql);
        }
        s.reset();
        for (std::size_t i = 0; i < values.size(); ++i)
            bindValue(s, static_cast<int>(i) + 1, values[i], static_cast<int>(i));
        if (!insert)
            bindIdentity(s, static_cast<int>(values.size()) + 1);
        step(s);
        m_row = values;
        if (insert)
            m_rowid = sqlite3_last_insert_rowid(m_db.get());
        rememberIdentity();
        m_reseek = true;
    }

    bool writable() const noexcept override { return true; }
    void bulkAppend(const std::vector<FieldValue>& values, std::size_t rows) override
    {
        const std::size_t n = m_columns.size();
        std::size_t done = 0;
        while (done < rows) {
            const std::size_t batch = std::min(kBulkRows, rows - done);
            SqliteStatement& s = batch == kBulkRows ? m_bulk : m_bulkTail;
            if (!s || batch != kBulkRows) {
                std::string sql =
                    "INSERT INTO " + quoteIdentifier(m_table) + " (" + columnList() + ") VALUES ";
                for (std::size_t r = 0; r < batch; ++r)
                    sql += (r ? ", (" : "(") + marks(n) + ")";
                s = SqliteStatement(m_db, sql);
            }
            s.reset();
            for (std::size_t r = 0; r < batch; ++r) {
                for (std::size_t c = 0; c < n; ++c)
                    bindValue(s, static_cast<int>(r * n + c) + 1, values[(done + r) * n + c],
                              static_cast<int>(c));
            }
            step(s);
            done += batch;
        }
        m_reseek = true;
    }

    void startTransaction() override { m_db.exec("BEGIN"); }
    void commit() override { m_db.exec("COMMIT"); }
    void rollback() noexcept override
    {
        if (m_db && !sqlite3_get_autocommit(m_db.get()))
            sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

private:
    static constexpr std::size_t kBulkRows = 128;

    void findTable()
    {
        SqliteStatement tables(m_db, "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                     "name NOT LIKE 'sqlite_%'");
        int count = 0;
        while (tables.step()) {
            m_table = tables.text(0);
            ++count;
        }
        if (count != 1)
            throw DbError(count == 0 ? "no table in the file" : "more than one table in the file");
        SqliteStatement info(m_db, "PRAGMA table_info(" + quoteIdentifier(m_table) + ")");
        std::vector<std::pair<int, int>> keyParts; // (position in key, column)
        while (info.step()) {
            m_columns.push_back({info.text(1), declaredColumnType(info.text(2))});
            if (const long long pk = info.integer(5); pk > 0)
                keyParts.emplace_back(static_cast<int>(pk), static_cast<int>(m_columns.size()) - 1);
        }
        std::sort(keyParts.begin(), keyParts.end());
        for (const auto& part : keyParts)
            m_key.push_back(part.second);
    }

    static std::string marks(std::size_t n)
    {
        std::string m;
        for (std::size_t i = 0; i < n; ++i)
            m += i ? ", ?" : "?";
        return m;
    }

    std::string columnList() const
    {
        std::string list;
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            list += (i ? ", " : "") + quoteIdentifier(m_columns[i].name);
        return list;
    }

    std::string keyList() const
    {
        if (m_key.empty())
            return "rowid";
        std::string list;
        for (std::size_t i = 0; i < m_key.size(); ++i)
            list += (i ? ", " : "") +
                    quoteIdentifier(m_columns[static_cast<std::size_t>(m_key[i])].name);
        return list;
    }

    std::string keyEquals() const
    {
        std::string where;
        for (std::size_t i = 0; i < m_key.size(); ++i)
            where += (i ? " AND " : "") +
                     quoteIdentifier(m_columns[static_cast<std::size_t>(m_key[i])].name) + " = ?";
        return where;
    }

    std::size_t identityCount() const { return m_key.empty() ? 1 : m_key.size(); }

    void rememberIdentity()
    {
        m_identity.clear();
        for (int column : m_key)
            m_identity.push_back(m_row[static_cast<std::size_t>(column)]);
    }

    void bindIdentity(SqliteStatement& s, int first) const
    {
        if (m_key.empty()) {
            s.bindInt(first, m_rowid);
            return;
        }
        for (std::size_t i = 0; i < m_key.size(); ++i)
            bindValue(s, first + static_cast<int>(i), m_identity[i], m_key[i]);
    }

    void bindValue(SqliteStatement& s, int index, const FieldValue& v, int column) const
    {
        if (v.null)
            s.bindNull(index);
        else if (m_columns[static_cast<std::size_t>(column)].type.type == FieldType::String)
            s.bindText(index, v.text);
        else
            s.bindDouble(index, v.number);
    }

    void step(SqliteStatement& s)
    {
        try {
            s.step();
        } catch (const DbError& e) {
            s.reset();
            throw DbError(std::string(e.what()) + ": " + m_path);
        }
        s.reset();
    }

    bool load(SqliteStatement& s)
    {
        if (!s.step())
            return false;
        if (m_key.empty())
            m_rowid = s.integer(0);
        m_row.assign(m_columns.size(), FieldValue{});
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            const int c = static_cast<int>(i) + m_firstColumn;
            FieldValue& v = m_row[i];
            v.null = s.isNull(c);
            if (v.null)
                continue;
            if (m_columns[i].type.type == FieldType::String)
                v.text = s.text(c);
            else
                v.number = s.number(c);
        }
        rememberIdentity();
        return true;
    }

    std::string m_path;
    SqliteDb m_db;
    std::string m_table;
    std::vector<ColumnInfo> m_columns;
    std::vector<int> m_key; // columns of the primary key, in key order
    std::string m_select;
    std::string m_order;
    int m_firstColumn = 0;
    SqliteStatement m_cursor;
    SqliteStatement m_find;
    SqliteStatement m_insert;
    SqliteStatement m_update;
    SqliteStatement m_bulk;
    SqliteStatement m_bulkTail;
    std::vector<FieldValue> m_row;
    std::vector<FieldValue> m_identity; // the current row's key as last read or written
    long long m_rowid = 0;
    bool m_reseek = false;
};

} // namespace

std::unique_ptr<Table::Backend> openSqliteBackend(const std::string& dosPath)
{
    return std::make_unique<SqliteBackend>(dosPath);
}

} // namespace db
