#include "db/TablePath.h"
#include "db/DbError.h"
#include "db/DbfReader.h"
#include "db/Query.h"
#include "db/Table.h"
#include "sample/DbfWriter.h"
#include "support/Errors.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::errorOf;

namespace {

// The error of f, which opens a table standing on a named pipe. Should f block in the open
// (no writer will ever come), the pipe's other end is opened so that it can go on, and the
// test fails.
std::string errorWithoutBlocking(const std::filesystem::path& fifo, const std::function<void()>& f)
{
    std::future<std::string> result = std::async(std::launch::async, [&] { return errorOf(f); });
    if (result.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        ADD_FAILURE() << "blocked opening " << fifo;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        result.wait();
        if (fd >= 0)
            ::close(fd);
    }
    return result.get();
}

} // namespace

TEST(TablePath, TablesOnNamedPipesAreRefusedWithoutBlocking)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    std::filesystem::create_directories(root / "DIRF99");
    std::filesystem::create_directories(root / "FP");
    for (const char* name : {"DIRF99/IR_CRU.DBF", "DIRF99/IR.DB", "FP/FP_FUN.DBF"})
        ASSERT_EQ(::mkfifo((root / name).c_str(), 0600), 0) << name;

    const auto openTable = [](const char* path) {
        return [path] {
            db::Table t;
            t.setTableName(path);
            t.open();
        };
    };
    const auto openQuery = [](const char* table) {
        return [table] {
            db::Query q;
            q.addSql(std::string("SELECT * FROM \"") + table + "\" x");
            q.open();
        };
    };
    struct Case {
        const char* name;
        std::function<void()> open;
        const char* fifo;
        const char* expected;
    };
    const Case cases[] = {
        {"raw table", openTable("C:\\dirf99\\ir_cru.dbf"), "DIRF99/IR_CRU.DBF",
         "Not a table file (a named pipe): C:\\dirf99\\ir_cru.dbf"},
        {"work table", openTable("C:\\dirf99\\IR.DB"), "DIRF99/IR.DB",
         "Not a table file (a named pipe): C:\\dirf99\\IR.DB"},
        {"payroll table in a query", openQuery("C:\\fp\\FP_FUN.DBF"), "FP/FP_FUN.DBF",
         "Not a table file (a named pipe): C:\\fp\\FP_FUN.DBF"},
        {"work table in a query", openQuery("C:\\DIRF99\\IR.DB"), "DIRF99/IR.DB",
         "Not a table file (a named pipe): C:\\DIRF99\\IR.DB"},
        {"reader given the file itself",
         [&] { db::DbfReader reader(root / "FP/FP_FUN.DBF", "C:\\fp\\FP_FUN.DBF"); },
         "FP/FP_FUN.DBF", "Not a table file (a named pipe): C:\\fp\\FP_FUN.DBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorWithoutBlocking(root / c.fifo, c.open), c.expected);
    }
}
