#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace db {

// Owning handles over the SQLite C interface; failures become DbError.
class SqliteDb {
public:
    SqliteDb() = default;
    SqliteDb(const std::string& file, int flags);
    ~SqliteDb();
    SqliteDb(SqliteDb&& other) noexcept;
    SqliteDb& operator=(SqliteDb&& other) noexcept;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    sqlite3* get() const noexcept { return m_db; }
    explicit operator bool() const noexcept { return m_db != nullptr; }
    void exec(const std::string& sql);
    std::string errorMessage() const;
    void close() noexcept;

private:
    sqlite3* m_db = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(const SqliteDb& db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const noexcept { return m_stmt; }
    explicit operator bool() const noexcept { return m_stmt != nullptr; }

    // True while a row is available; throws on error.
    bool step();
    void reset() noexcept;
    void bindText(int index, std::string_view text);
    void bindDouble(int index, double value);
    void bindInt(int index, long long value);
    void bindNull(int index);

    bool isNull(int column) const noexcept;
    std::string text(int column) const;
    double number(int column) const noexcept;
    long long integer(int column) const noexcept;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// Quotes an identifier for SQL text: "name" with inner quotes doubled.
std::string quoteIdentifier(std::string_view name);

} // namespace db
