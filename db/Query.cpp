#include "db/Query.h"

#include "db/DbError.h"
#include "db/FileKind.h"
#include "db/LocalSql.h"
#include "db/Sqlite.h"
#include "db/TablePath.h"
#include "platform/Drives.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace db {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.front()))))
        s.remove_prefix(1);
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == ';'))
        s.remove_suffix(1);
    return s;
}

// Consumes a keyword (case-insensitive) followed by blanks.
bool takeKeyword(std::string_view& s, std::string_view word)
{
    if (s.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) != word[i])
            return false;
    }
    if (s.size() > word.size() && !std::isspace(static_cast<unsigned char>(s[word.size()])))
        return false;
    s.remove_prefix(word.size());
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    return true;
}

std::string shortened(std::string_view text)
{
    std::string one;
    for (char c : trim(text))
        one.push_back(c == '\r' || c == '\n' ? ' ' : c);
    if (one.size() > 60)
        one = one.substr(0, 57) + "...";
    return one;
}

[[noreturn]] void unsupported(std::string_view text)
{
    throw DbError("Unsupported SQL statement: " + shortened(text));
}

void removeIfThere(const std::filesystem::path& file)
{
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

std::string notWritable(const std::string& path)
{
    return "the directory " + platform::dosParentPath(path) + " is not writable";
}

void dropWorkTable(const std::string& path)
{
    const platform::ResolvedPath r = platform::resolvePath(path);
    if (r.status != platform::PathStatus::Ok) {
        (void)existingTableFile(path); // throws, saying what is missing
        return;
    }
    // A link is dropped, never what it points to; anything else that is not a regular file is
    // not a table this program made, and stays.
    struct stat st {};
    if (::lstat(r.path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        throw DbError(std::string("Cannot drop table (it is ") + fileKind(st.st_mode) +
                      ", not a table file): " + path);
    if (::unlink(r.path.c_str()) != 0) {
        const int error = errno;
        throw DbError("Cannot drop table (" +
                      (cannotWriteThere(error) ? notWritable(path) : std::strerror(error)) +
                      "): " + path);
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        removeIfThere(r.path.string() + suffix);
}

void createWorkTable(const std::string& path, const std::string& columns)
{
    const std::filesystem::path file = newTableFile(path);
    // Claim the name first, so that two creations cannot both succeed.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            throw DbError("Table already exists: " + path);
        throw DbError("Cannot create table (" +
                      (cannotWriteThere(error) ? notWritable(path) : std::strerror(error)) +
                      "): " + path);
    }
    ::close(fd);
    try {
        SqliteDb db(file.string(), SQLITE_OPEN_READWRITE);
        const std::string create =
            "CREATE TABLE " + quoteIdentifier(file.stem().string()) + " (" + columns + ")";
        // A table with a primary key is stored as one B-tree ordered by that key.
        if (sqlite3_exec(db.get(), (create + " WITHOUT ROWID").c_str(), nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            db.exec(create);
    } catch (const DbError& e) {
        removeIfThere(file);
        removeIfThere(file.string() + "-journal");
        throw DbError(std::string(e.what()) + ": " + path);
    }
}

} // namespace

DdlStatement parseDdl(std::string_view text)
{
    std::string_view s = trim(text);
    DdlStatement out{};
    if (takeKeyword(s, "DROP"))
        out.kind = DdlStatement::Kind::Drop;
    else if (takeKeyword(s, "CREATE"))
        out.kind = DdlStatement::Kind::Create;
    else
        unsupported(text);
    if (!takeKeyword(s, "TABLE"))
        unsupported(text);
    if (s.empty() || (s.front() != '\'' && s.front() != '"'))
        unsupported(text);
    const char quote = s.front();
    const std::size_t close = s.find(quote, 1);
    if (close == std::string_view::npos)
        unsupported(text);
    out.path = std::string(s.substr(1, close - 1));
    s.remove_prefix(close + 1);
    s = trim(s);
    if (out.kind == DdlStatement::Kind::Drop) {
        if (!s.empty())
            unsupported(text);
        return out;
    }
    if (s.size() < 2 || s.front() != '(' || s.back() != ')')
        unsupported(text);
    out.columns = std::string(s.substr(1, s.size() - 2));
    return out;
}

Query::Query() = default;

Query::~Query()
{
    close();
}

void Query::setSql(std::vector<std::string> lines)
{
    close();
    m_lines = std::move(lines);
}

void Query::addSql(std::string line)
{
    close();
    m_lines.push_back(std::move(line));
}

void Query::clearSql()
{
    close();
    m_lines.clear();
}

std::string Query::sqlText() const
{
    std::string text;
    for (const std::string& line : m_lines)
        text += line + "\r\n";
    return text;
}

void Query::setSqlText(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    setSql(std::move(lines));
}

void Query::execSql()
{
    const std::string text = sqlText();
    const DdlStatement ddl = parseDdl(text);
    if (!hasExtension(ddl.path, ".DB"))
        throw DbError("Unsupported SQL statement: only work tables (.DB) can be created or "
                      "dropped: " +
                      ddl.path);
    if (ddl.kind == DdlStatement::Kind::Drop)
        dropWorkTable(ddl.path);
    else
        createWorkTable(ddl.path, ddl.columns);
}

void Query::loadAhead()
{
    Query copy;
    copy.setSql(m_lines);
    if (onBeforeOpen)
        onBeforeOpen(copy);
    try {
        m_ahead = std::async(std::launch::async,
                             [text = copy.sqlText()] { return LocalSelect::loadAhead(text); });
    } catch (const std::system_error&) {
        // No thread to spare: the open loads the tables itself.
    }
}

void Query::beforeOpen()
{
    if (onBeforeOpen)
        onBeforeOpen(*this);
}

std::vector<DataSet::Column> Query::openSource()
{
    const std::string text = sqlText();
    setErrorContext(shortened(text));
    std::unique_ptr<LoadedTables> ahead = m_ahead.valid() ? m_ahead.get() : nullptr;
    m_select = std::make_unique<LocalSelect>(text, std::move(ahead));
    m_count.reset();
    m_counting = std::async(std::launch::async, [text] {
        // A connection of its own: it loads the tables again and counts the joined rows.
        return LocalSelect(text, LocalSelect::Purpose::Count).rowCount();
    });
    std::vector<Column> columns;
    for (const auto& c : m_select->columns())
        columns.push_back({c.name, c.type});
    return columns;
}

void Query::closeSource() noexcept
{
    if (m_counting.valid())
        m_counting.wait();
    m_counting = {};
    m_count.reset();
    m_select.reset();
}

std::string Query::columnSource(int column) const
{
    std::string table = m_select ? m_select->columnTable(column) : std::string();
    return table.empty() ? DataSet::columnSource(column) : table;
}

LocalSelect& Query::select() const
{
    if (!m_select)
        throw DbError("Cannot perform this operation on a closed dataset");
    return *m_select;
}

bool Query::sourceFirst()
{
    return select().first();
}
bool Query::sourceNext()
{
    return select().next();
}
bool Query::sourceIsNull(int column) const
{
    return select().isNull(column);
}
std::string Query::sourceString(int column) const
{
    return select().text(column);
}
double Query::sourceFloat(int column) const
{
    return select().number(column);
}

int Query::recordCount()
{
    select();
    if (!m_count)
        m_count = m_counting.get();
    return *m_count;
}

std::optional<int> Query::recordCountIfReady()
{
    select();
    if (!m_count && m_counting.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        m_count = m_counting.get();
    return m_count;
}

std::vector<std::string> Query::queryPlan() const
{
    return select().queryPlan();
}

} // namespace db
