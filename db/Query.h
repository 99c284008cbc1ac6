#pragma once

#include "db/DataSet.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {

class LocalSelect;
struct LoadedTables;

// A local SQL statement held as lines. execSql runs the two statements that return no rows,
// DROP TABLE '<path>' and CREATE TABLE '<path>' (<columns>), on work tables (.DB); open runs a
// SELECT over tables named by their paths and makes its rows the data set's.
class Query : public DataSet {
public:
    Query();
    ~Query() override;

    const std::vector<std::string>& sql() const noexcept { return m_lines; }
    void setSql(std::vector<std::string> lines);
    void addSql(std::string line);
    void clearSql();
    // The lines, each followed by CR LF.
    std::string sqlText() const;
    // Splits the text into lines again at its line breaks (CR LF, LF or CR).
    void setSqlText(std::string_view text);

    void execSql();

    // Starts loading the dBase tables of the SELECT on a thread of its own, as the next open
    // would load them (onBeforeOpen applied to a copy of the text), so that an open after other
    // work, such as building the work table the statement joins, finds them loaded. The next
    // open takes what was loaded if its text is the same, and otherwise loads anew.
    void loadAhead();

    // Rows of the open SELECT. They are counted on a second thread from the open on, so that
    // the first rows can be read meanwhile; recordCount waits for the count if needed.
    int recordCount();
    std::optional<int> recordCountIfReady();

    // Called at every open, before the engine sees the text.
    std::function<void(Query&)> onBeforeOpen;

    // The plan of the open SELECT (for tests and tuning).
    std::vector<std::string> queryPlan() const;

protected:
    std::vector<Column> openSource() override;
    void closeSource() noexcept override;
    bool sourceFirst() override;
    bool sourceNext() override;
    bool sourceIsNull(int column) const override;
    std::string sourceString(int column) const override;
    double sourceFloat(int column) const override;
    void beforeOpen() override;
    std::string columnSource(int column) const override;

private:
    LocalSelect& select() const;

    std::vector<std::string> m_lines;
    std::unique_ptr<LocalSelect> m_select;
    std::future<std::unique_ptr<LoadedTables>> m_ahead;
    std::future<int> m_counting;
    std::optional<int> m_count;
};

// DDL statements that execSql understands; exposed for tests.
struct DdlStatement {
    enum class Kind { Drop, Create } kind;
    std::string path;    // as quoted
    std::string columns; // CREATE: the text between the outer parentheses
};
DdlStatement parseDdl(std::string_view text);

} // namespace db
