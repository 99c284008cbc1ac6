#include "db/Sqlite.h"

#include "db/DbError.h"

#include <utility>

namespace db {

SqliteDb::SqliteDb(const std::string& file, int flags)
{
    const int rc = sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        close();
        throw DbError(message);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDb::~SqliteDb()
{
    close();
}

SqliteDb::SqliteDb(SqliteDb&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
{
}

SqliteDb& SqliteDb::operator=(SqliteDb&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

void SqliteDb::close() noexcept
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void SqliteDb::exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : errorMessage();
        sqlite3_free(error);
        throw DbError(message);
    }
}

std::string SqliteDb::errorMessage() const
{
    return m_db ? sqlite3_errmsg(m_db) : "no database";
}

SqliteStatement::SqliteStatement(const SqliteDb& db, std::string_view sql)
    : m_db(db.get())
{
    if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) !=
        SQLITE_OK)
        throw DbError(sqlite3_errmsg(m_db));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_stmt(std::exchange(other.m_stmt, nullptr))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    std::string message = sqlite3_errmsg(m_db);
    const int code = sqlite3_extended_errcode(m_db);
    if (code == SQLITE_CONSTRAINT_NOTNULL)
        message = "Field value required (" + message + ")";
    else if ((rc & 0xFF) == SQLITE_CONSTRAINT)
        message = "Key violation (" + message + ")";
    sqlite3_reset(m_stmt);
    throw DbError(message);
}

void SqliteStatement::reset() noexcept
{
    sqlite3_reset(m_stmt);
}

void SqliteStatement::bindText(int index, std::string_view text)
{
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindDouble(int index, double value)
{
    sqlite3_bind_double(m_stmt, index, value);
}

void SqliteStatement::bindInt(int index, long long value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
}

bool SqliteStatement::isNull(int column) const noexcept
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::string SqliteStatement::text(int column) const
{
    const auto* p = sqlite3_column_text(m_stmt, column);
    if (!p)
        return {};
    return {reinterpret_cast<const char*>(p),
            static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
}

double SqliteStatement::number(int column) const noexcept
{
    return sqlite3_column_double(m_stmt, column);
}

long long SqliteStatement::integer(int column) const noexcept
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string quoteIdentifier(std::string_view name)
{
    std::string out = "\"";
    for (char c : name) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    out.push_back('"');
    return out;
}

} // namespace db
