#include "prep/WorkTableLock.h"
#include "db/DbError.h"
#include "db/Query.h"
#include "db/Table.h"
#include "prep/MontaTabelaIR.h"
#include "prep/TableDefs.h"
#include "sample/DbfWriter.h"
#include "support/Errors.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
using testsupport::errorOf;

namespace {

const std::string kBusy = "Outra execução está usando a tabela de trabalho C:\\dirf99\\IR.DB. "
                          "Tente de novo quando ela terminar.";

// Another process that runs the job on the same drive (tests/prep/WorkTableHolder.cpp).
class OtherRun {
public:
    explicit OtherRun(bool pass)
    {
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        const char* args[] = {RADAZIZ_WORK_TABLE_HOLDER, "C", pass ? "pass" : nullptr, nullptr};
        const int rc = posix_spawn(&m_pid, RADAZIZ_WORK_TABLE_HOLDER, &actions, nullptr,
                                   const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_in = toChild[1];
        m_out = fromChild[0];
        if (rc != 0)
            throw std::runtime_error("cannot start " RADAZIZ_WORK_TABLE_HOLDER);
    }
    ~OtherRun()
    {
        if (m_in >= 0)
            ::close(m_in);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }

    // Its next line of output; empty at its end.
    std::string line()
    {
        std::string text;
        char c;
        while (::read(m_out, &c, 1) == 1 && c != '\n')
            text.push_back(c);
        return text;
    }
    // Lets it go on: it reads the work table and ends, releasing the lock.
    void finish()
    {
        ::close(m_in);
        m_in = -1;
    }
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }
    void kill()
    {
        ::kill(m_pid, SIGKILL);
        wait();
    }

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
};

class WorkTableLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = drives.addDrive('C');
        std::filesystem::create_directories(root / "DIRF99");
        std::vector<sample::DbfColumn> columns = {{"EP_CODIGO", 'C', 2},
                                                  {"FU_CODIGO", 'C', 5},
                                                  {"IN_CODIGO", 'C', 2},
                                                  {"IN_TIPO", 'C', 1}};
        for (int m = 1; m <= 12; ++m)
            columns.push_back(
                {std::string("IR_") + (m < 10 ? "0" : "") + std::to_string(m), 'N', 12, 2});
        columns.push_back({"IR_VALE", 'N', 12, 2});
        columns.push_back({"IR_STATUS", 'C', 1});
        sample::DbfWriter w(columns);
        for (const char* employee : {"00001", "00002", "00003"}) {
            std::vector<sample::DbfValue> values = {std::string("01"), std::string(employee),
                                                    std::string("41"), std::string("N")};
            for (int m = 0; m < 13; ++m)
                values.emplace_back(10.0);
            values.emplace_back(std::string("A"));
            w.addRecord(values);
        }
        w.write(root / "DIRF99" / "ir_cru.dbf");
    }

    std::string runPass(std::chrono::milliseconds lockWait = prep::WorkTableLock::kWait)
    {
        return errorOf([&] {
            db::Query sql;
            db::Table ir, dirf;
            prep::MontaTabelaIR('C', sql, ir, dirf, prep::kSplitRecords, lockWait);
        });
    }

    testsupport::FakeDrives drives;
    std::filesystem::path root;
};

} // namespace

TEST_F(WorkTableLockTest, ASecondRunOnTheDriveStopsWithOneClearMessage)
{
    OtherRun other(true);
    ASSERT_EQ(other.line(), "held");

    EXPECT_EQ(runPass(0ms), kBusy) << "the pass takes the lock itself";
    EXPECT_EQ(errorOf([] { prep::WorkTableLock lock('C', 0ms); }), kBusy);

    // The other run's table was left alone: it reads all of it after our attempts.
    other.finish();
    EXPECT_EQ(other.line(), "3 rows");
    // Once it ends, a waiting run goes on.
    {
        prep::WorkTableLock lock('C', 60s);
        EXPECT_TRUE(lock.held());
    }
    const int status = other.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(runPass(0ms), "");
}

TEST_F(WorkTableLockTest, ALockDiesWithItsProcess)
{
    OtherRun other(false);
    ASSERT_EQ(other.line(), "held");
    EXPECT_EQ(errorOf([] { prep::WorkTableLock lock('C', 0ms); }), kBusy);
    other.kill();
    prep::WorkTableLock lock('C', 0ms);
    EXPECT_TRUE(lock.held());
}

TEST_F(WorkTableLockTest, HeldByTheCallerAcrossThePassAndTheReport)
{
    prep::WorkTableLock lock('C', 0ms);
    ASSERT_TRUE(lock.held());
    EXPECT_EQ(runPass(0ms), "") << "the pass shares its caller's hold";
    EXPECT_EQ(runPass(0ms), "");

    OtherRun other(false);
    EXPECT_EQ(other.line(), "error: " + kBusy) << "held until the caller lets go";
}

TEST_F(WorkTableLockTest, NothingToHoldWhereNothingCanBeWritten)
{
    std::filesystem::remove_all(root / "DIRF99");
    prep::WorkTableLock lock('C', 0ms);
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(runPass(), "Directory does not exist: C:\\dirf99");

    std::filesystem::create_directories(root / "DIRF99" / "IR.LCK");
    EXPECT_EQ(errorOf([] { prep::WorkTableLock lock('C', 0ms); }),
              "Não foi possível usar o arquivo de bloqueio C:\\dirf99\\IR.LCK (não é um arquivo "
              "comum)");
}
