#pragma once

#include "db/DataSet.h"
#include "db/DbError.h"
#include "db/Sqlite.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db {

// Pieces of a statement's text that the loader looks at; exposed for tests.
struct StatementTables {
    struct Entry {
        std::string name;  // the quoted path as written
        std::string alias; // the word after it, if any
    };
    std::vector<Entry> tables;
    bool star = false;              // a '*' outside quotes: every column may be meant
    std::vector<std::string> words; // identifiers outside quotes, upper case
    // Leading ORDER BY terms that name one alias: that alias and its columns.
    std::string orderAlias;
    std::vector<std::string> orderColumns;
};
StatementTables scanStatement(const std::string& sqlText);

struct LoadedTables;

// Runs a local SQL SELECT whose tables are named by full DOS paths in double quotes, as in
//   SELECT ... FROM "C:\fp\FP_EMP.DBF" Emp INNER JOIN "C:\DIRF99\IR.DB" Ir ON ...
// Each dBase table is loaded, with the columns that the statement can refer to, into an
// in-memory table of that name (text columns ordered in Portuguese); each work table (.DB) is
// attached read-only behind a view of that name. The statement then runs as written.
class LocalSelect {
public:
    // Purpose Count: only rowCount is wanted, so the rows need not come in order cheaply.
    enum class Purpose { Rows, Count };
    explicit LocalSelect(const std::string& sqlText, Purpose purpose = Purpose::Rows);
    // With the dBase tables loaded ahead for this very text (see loadAhead): only the work
    // tables are attached. Tables loaded for another text are ignored.
    LocalSelect(const std::string& sqlText, std::unique_ptr<LoadedTables> ahead);
    ~LocalSelect();

    // Loads the statement's dBase tables (and their ordering index) into a connection of their
    // own, for a later LocalSelect of the same text; the work tables may not exist yet. Null
    // when anything fails: the open then loads everything again and reports the failure in
    // its usual order.
    static std::unique_ptr<LoadedTables> loadAhead(const std::string& sqlText) noexcept;

    struct Column {
        std::string name;
        ColumnType type;
    };
    const std::vector<Column>& columns() const noexcept { return m_columns; }

    bool first();
    bool next();
    bool isNull(int column) const noexcept { return m_statement.isNull(column); }
    std::string text(int column) const { return m_statement.text(column); }
    double number(int column) const noexcept { return m_statement.number(column); }

    // The table (its path as the statement names it) that a column comes from; empty for a
    // column computed by the statement.
    std::string columnTable(int column) const;

    // Number of rows that the statement yields (counted once, on first request).
    int rowCount();

    // The plan SQLite chose, one line per step (for tests and tuning).
    std::vector<std::string> queryPlan() const;

private:
    // Which tables a loading step takes: every table in the statement's order, or the dBase
    // tables (with the ordering index and statistics) apart from the work tables.
    enum class Stage { All, DbaseTables, WorkTables };
    LocalSelect() = default;
    // The text without the blanks and semicolons that may end it.
    static std::string statementText(std::string text);
    void openConnection();
    void loadTables(Purpose purpose, Stage stage = Stage::All);
    void prepare();
    void loadDbf(const std::string& name);
    void attachWorkTable(const std::string& name, int serial);
    [[noreturn]] void failToPrepare(const DbError& error) const;

    std::string m_text;
    StatementTables m_scan;
    std::map<std::string, std::string> m_workTables; // schema -> path
    SqliteDb m_db;
    SqliteStatement m_statement;
    std::vector<Column> m_columns;
    std::optional<int> m_rowCount;
};

// What LocalSelect::loadAhead loaded: a connection with the dBase tables, nothing prepared.
struct LoadedTables {
    std::unique_ptr<LocalSelect> select;
};

} // namespace db
