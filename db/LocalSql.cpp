#include "db/LocalSql.h"

#include "db/Collation.h"
#include "db/DbError.h"
#include "db/DbfReader.h"
#include "db/TablePath.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace db {
namespace {

bool isIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool looksLikePath(const std::string& name)
{
    return name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) &&
           name[1] == ':' && (name[2] == '\\' || name[2] == '/');
}

const std::set<std::string>& keywords()
{
    static const std::set<std::string> words = {
        "ON",    "INNER", "LEFT",   "RIGHT", "OUTER", "FULL", "CROSS",   "JOIN", "WHERE",
        "ORDER", "GROUP", "HAVING", "UNION", "LIMIT", "AS",   "NATURAL", "USING"};
    return words;
}

int collatePortuguese(void*, int na, const void* a, int nb, const void* b)
{
    return comparePortuguese({static_cast<const char*>(a), static_cast<std::size_t>(na)},
                             {static_cast<const char*>(b), static_cast<std::size_t>(nb)});
}

} // namespace

StatementTables scanStatement(const std::string& text)
{
    StatementTables out;
    // Tokens outside quotes, kept in order, to find aliases and the ORDER BY terms.
    struct Token {
        enum Kind { Word, Quoted, Other } kind;
        std::string text;
    };
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            std::string value;
            std::size_t j = i + 1;
            for (; j < text.size(); ++j) {
                if (text[j] == c) {
                    if (j + 1 < text.size() && text[j + 1] == c) {
                        value.push_back(c);
                        ++j;
                        continue;
                    }
                    break;
                }
                value.push_back(text[j]);
            }
            if (c == '"')
                tokens.push_back({Token::Quoted, value});
            else
                tokens.push_back({Token::Other, "'"});
            i = j + 1;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (isIdentChar(c)) {
            std::size_t j = i;
            while (j < text.size() && isIdentChar(text[j]))
                ++j;
            tokens.push_back({Token::Word, upper(std::string_view(text).substr(i, j - i))});
            i = j;
        } else {
            if (c == '*')
                out.star = true;
            if (!std::isspace(static_cast<unsigned char>(c)))
                tokens.push_back({Token::Other, std::string(1, c)});
            ++i;
        }
    }

    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.kind == Token::Word)
            out.words.push_back(t.text);
        if (t.kind != Token::Quoted || !looksLikePath(t.text))
            continue;
        StatementTables::Entry entry{t.text, {}};
        std::size_t a = k + 1;
        if (a < tokens.size() && tokens[a].kind == Token::Word && tokens[a].text == "AS")
            ++a;
        if (a < tokens.size() && tokens[a].kind == Token::Word && !keywords().count(tokens[a].text))
            entry.alias = tokens[a].text;
        out.tables.push_back(std::move(entry));
    }

    // ORDER BY a.x, a.y, b.z: the leading terms of one alias.
    for (std::size_t k = 0; k + 1 < tokens.size(); ++k) {
        if (tokens[k].kind != Token::Word || tokens[k].text != "ORDER" ||
            tokens[k + 1].kind != Token::Word || tokens[k + 1].text != "BY")
            continue;
        out.orderAlias.clear();
        out.orderColumns.clear();
        std::size_t p = k + 2;
        while (p + 2 < tokens.size() && tokens[p].kind == Token::Word &&
               tokens[p + 1].kind == Token::Other && tokens[p + 1].text == "." &&
               tokens[p + 2].kind == Token::Word) {
            const std::string& alias = tokens[p].text;
            if (!out.orderAlias.empty() && alias != out.orderAlias)
                break;
            std::size_t after = p + 3;
            const bool plain = after >= tokens.size() ||
                               (tokens[after].kind == Token::Other && tokens[after].text == ",");
            if (!plain)
                break; // ASC, DESC or COLLATE: leave the ordering to the engine
            out.orderAlias = alias;
            out.orderColumns.push_back(tokens[p + 2].text);
            if (after >= tokens.size())
                break;
            p = after + 1;
        }
    }
    return out;
}

LocalSelect::LocalSelect(const std::string& sqlText, Purpose purpose)
    : m_text(statementText(sqlText))
{
    openConnection();
    loadTables(purpose);
    prepare();
}

LocalSelect::LocalSelect(const std::string& sqlText, std::unique_ptr<LoadedTables> ahead)
    : m_text(statementText(sqlText))
{
    if (ahead && ahead->select->m_text == m_text) {
        m_db = std::move(ahead->select->m_db);
        m_scan = std::move(ahead->select->m_scan);
        loadTables(Purpose::Rows, Stage::WorkTables);
    } else {
        openConnection();
        loadTables(Purpose::Rows);
    }
    prepare();
}

LocalSelect::~LocalSelect() = default;

std::unique_ptr<LoadedTables> LocalSelect::loadAhead(const std::string& sqlText) noexcept
{
    try {
        std::unique_ptr<LocalSelect> select(new LocalSelect);
        select->m_text = statementText(sqlText);
        select->openConnection();
        select->loadTables(Purpose::Rows, Stage::DbaseTables);
        return std::make_unique<LoadedTables>(LoadedTables{std::move(select)});
    } catch (...) {
        return nullptr;
    }
}

std::string LocalSelect::statementText(std::string text)
{
    while (!text.empty() &&
           (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
        text.pop_back();
    return text;
}

void LocalSelect::openConnection()
{
    m_db = SqliteDb(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI);
    sqlite3_create_collation(m_db.get(), kPortugueseCollation, SQLITE_UTF8, nullptr,
                             collatePortuguese);
}

void LocalSelect::prepare()
{
    try {
        m_statement = SqliteStatement(m_db, m_text);
    } catch (const DbError& e) {
        failToPrepare(e);
    }
    const int n = sqlite3_column_count(m_statement.get());
    if (n == 0)
        throw DbError("Statement returns no rows");
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(m_statement.get(), i);
        m_columns.push_back(
            {sqlite3_column_name(m_statement.get(), i), declaredColumnType(decl ? decl : "")});
    }
}

void LocalSelect::failToPrepare(const DbError& error) const
{
    // A column missing from a payroll table: say which file lacks it, as binding does.
    static constexpr std::string_view kNoColumn = "no such column: ";
    const std::string_view message = error.what();
    if (message.substr(0, kNoColumn.size()) == kNoColumn) {
        const std::string_view column = message.substr(kNoColumn.size());
        const std::size_t dot = column.find('.');
        if (dot != std::string_view::npos) {
            const std::string alias = upper(column.substr(0, dot));
            for (const auto& entry : m_scan.tables) {
                if (entry.alias == alias)
                    throw DbError("Field '" + std::string(column.substr(dot + 1)) +
                                  "' not found: " + entry.name);
            }
        }
    }
    throw error;
}

std::string LocalSelect::columnTable(int column) const
{
    const char* schema = sqlite3_column_database_name(m_statement.get(), column);
    const char* table = sqlite3_column_table_name(m_statement.get(), column);
    if (!schema || !table)
        return {};
    if (const auto work = m_workTables.find(schema); work != m_workTables.end())
        return work->second;
    return table; // a loaded dBase table bears its path as its name
}

void LocalSelect::loadTables(Purpose purpose, Stage stage)
{
    if (stage != Stage::WorkTables)
        m_scan = scanStatement(m_text);
    const StatementTables& scan = m_scan;
    std::set<std::string> done;
    int serial = 0;
    for (const auto& entry : scan.tables) {
        if (!done.insert(upper(entry.name)).second)
            continue;
        ++serial;
        if (hasExtension(entry.name, ".DBF")) {
            if (stage != Stage::WorkTables)
                loadDbf(entry.name);
        } else if (hasExtension(entry.name, ".DB")) {
            if (stage != Stage::DbaseTables)
                attachWorkTable(entry.name, serial);
        } else {
            throw DbError("Unknown table type: " + entry.name);
        }
    }
    if (stage == Stage::WorkTables)
        return; // the index and the statistics came with the dBase tables

    // Index the leading ordering columns, so that rows can come in order without a full sort.
    if (purpose == Purpose::Rows && !scan.orderAlias.empty()) {
        for (const auto& entry : scan.tables) {
            if (entry.alias != scan.orderAlias || !hasExtension(entry.name, ".DBF"))
                continue;
            std::string columns;
            for (const std::string& c : scan.orderColumns)
                columns += (columns.empty() ? "" : ", ") + quoteIdentifier(c);
            try {
                m_db.exec("CREATE INDEX main.order_index ON " + quoteIdentifier(entry.name) + " (" +
                          columns + ")");
            } catch (const DbError&) {
                // A column the loader did not keep: the statement itself will say so.
            }
            break;
        }
    }
    m_db.exec("ANALYZE main");
}

void LocalSelect::loadDbf(const std::string& name)
{
    const StatementTables& scan = m_scan;
    const std::set<std::string> words(scan.words.begin(), scan.words.end());
    DbfReader reader(existingTableFile(name), name);

    struct Kept {
        int field;
        ColumnType type;
    };
    std::vector<Kept> kept;
    std::string columns;
    std::set<std::string> seen;
    const auto& fields = reader.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const ColumnType type = dbfColumnType(fields[i]);
        const std::string fieldName = upper(fields[i].name);
        if (type.type == FieldType::Memo || !seen.insert(fieldName).second)
            continue;
        if (!scan.star && !words.count(fieldName))
            continue;
        kept.push_back({static_cast<int>(i), type});
        columns += (columns.empty() ? "" : ", ") + quoteIdentifier(fields[i].name) + " " +
                   dbfDeclaredType(fields[i]);
        if (type.type == FieldType::String)
            columns += std::string(" COLLATE ") + kPortugueseCollation;
    }
    if (kept.empty()) {
        // Keep one column so the table exists; the statement may only count rows.
        kept.push_back({0, dbfColumnType(fields[0])});
        columns = quoteIdentifier(fields[0].name) + " " + dbfDeclaredType(fields[0]);
    }
    m_db.exec("CREATE TABLE main." + quoteIdentifier(name) + " (" + columns + ")");

    std::string marks;
    for (std::size_t i = 0; i < kept.size(); ++i)
        marks += i ? ", ?" : "?";
    SqliteStatement insert(m_db,
                           "INSERT INTO main." + quoteIdentifier(name) + " VALUES (" + marks + ")");
    m_db.exec("BEGIN");
    try {
        std::string text;
        while (reader.next()) {
            insert.reset();
            for (std::size_t i = 0; i < kept.size(); ++i) {
                const int at = static_cast<int>(i) + 1;
                const int f = kept[i].field;
                switch (kept[i].type.type) {
                case FieldType::String:
                    text.clear();
                    reader.appendText(f, text);
                    insert.bindText(at, text);
                    break;
                case FieldType::Float:
                    insert.bindDouble(at, reader.number(f));
                    break;
                case FieldType::Integer:
                case FieldType::SmallInt:
                    insert.bindInt(at, static_cast<long long>(reader.number(f)));
                    break;
                case FieldType::Boolean:
                    if (const auto v = reader.logical(f))
                        insert.bindInt(at, *v ? 1 : 0);
                    else
                        insert.bindNull(at);
                    break;
                default: {
                    const std::string_view raw = reader.rawText(f);
                    if (raw.empty())
                        insert.bindNull(at);
                    else
                        insert.bindText(at, raw);
                }
                }
            }
            insert.step();
        }
        m_db.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void LocalSelect::attachWorkTable(const std::string& name, int serial)
{
    const std::filesystem::path file = existingTableFile(name);
    const std::string schema = "work" + std::to_string(serial);
    SqliteStatement attach(m_db, "ATTACH DATABASE ? AS " + schema);
    // Read only: the report never writes the work table.
    std::string uri = "file:";
    for (char c : file.string()) {
        if (c == '%' || c == '?' || c == '#')
            uri += c == '%' ? "%25" : (c == '?' ? "%3f" : "%23");
        else
            uri += c;
    }
    uri += "?mode=ro";
    attach.bindText(1, uri);
    attach.step();

    std::string table;
    try {
        SqliteStatement tables(m_db, "SELECT name FROM " + schema +
                                         ".sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                         "'sqlite_%'");
        int count = 0;
        while (tables.step()) {
            table = tables.text(0);
            ++count;
        }
        if (count != 1)
            throw DbError(count == 0 ? "no table in the file" : "more than one table in the file");
    } catch (const DbError& e) {
        throw DbError("Not a work table (" + std::string(e.what()) + "): " + name);
    }
    m_db.exec("CREATE TEMP VIEW " + quoteIdentifier(name) + " AS SELECT * FROM " + schema + "." +
              quoteIdentifier(table));
    m_workTables[schema] = name;
}

bool LocalSelect::first()
{
    m_statement.reset();
    return m_statement.step();
}

bool LocalSelect::next()
{
    return m_statement.step();
}

int LocalSelect::rowCount()
{
    if (!m_rowCount) {
        SqliteStatement count(m_db, "SELECT count(*) FROM (" + m_text + ")");
        count.step();
        m_rowCount = static_cast<int>(count.integer(0));
    }
    return *m_rowCount;
}

std::vector<std::string> LocalSelect::queryPlan() const
{
    std::vector<std::string> lines;
    SqliteStatement plan(m_db, "EXPLAIN QUERY PLAN " + m_text);
    while (plan.step())
        lines.push_back(plan.text(3));
    return lines;
}

} // namespace db
