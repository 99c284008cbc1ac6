#include "prep/MontaTabelaIR.h"
#include "db/DbError.h"
#include "db/Query.h"
#include "db/Table.h"
#include "prep/Currency.h"
#include "prep/TableDefs.h"
#include "sample/DbfWriter.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

#include <array>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <map>
#include <optional>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using sample::DbfColumn;
using sample::DbfValue;

struct Raw {
    std::string company;
    std::string employee;
    std::string code;
    std::array<std::optional<double>, 12> months{};
    bool deleted = false;
    std::string tipo = "N";
    double vale = 0;
    std::string status = "A";
};

Raw raw(std::string company, std::string employee, std::string code,
        std::initializer_list<std::optional<double>> months)
{
    Raw r{std::move(company), std::move(employee), std::move(code)};
    std::size_t i = 0;
    for (const auto& m : months)
        r.months[i++] = m;
    return r;
}

std::vector<DbfColumn> rawColumns(int width = 15, int decimals = 5)
{
    std::vector<DbfColumn> c = {
        {"EP_CODIGO", 'C', 2}, {"FU_CODIGO", 'C', 5}, {"IN_CODIGO", 'C', 2}, {"IN_TIPO", 'C', 1}};
    for (int m = 1; m <= 12; ++m)
        c.push_back(
            {std::string("IR_") + (m < 10 ? "0" : "") + std::to_string(m), 'N', width, decimals});
    c.push_back({"IR_VALE", 'N', width, decimals});
    c.push_back({"IR_STATUS", 'C', 1});
    return c;
}

std::string rawTableBytes(const std::vector<Raw>& records,
                          std::vector<DbfColumn> columns = rawColumns())
{
    sample::DbfWriter w(std::move(columns));
    for (const Raw& r : records) {
        std::vector<DbfValue> values;
        for (const std::string* text : {&r.company, &r.employee, &r.code, &r.tipo})
            values.emplace_back(*text);
        for (const auto& m : r.months) {
            if (m)
                values.emplace_back(*m);
            else
                values.emplace_back();
        }
        values.emplace_back(r.vale);
        values.emplace_back(r.status);
        w.addRecord(values, r.deleted);
    }
    return w.bytes();
}

using WorkRows = std::map<std::string, double>; // "EP FU IN" -> total

// A directory in which nothing can be created or removed while this lives, even by root.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(std::filesystem::path dir)
        : m_dir(std::move(dir))
    {
        std::filesystem::permissions(m_dir,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
        if (::geteuid() != 0)
            return;
        // Permissions do not hold root back; the immutable attribute does, where root may set
        // it (a container may not let it).
        m_fd = ::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        m_ok = m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 &&
               ::ioctl(m_fd, FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
    }
    ~ReadOnlyDirectory()
    {
        if (m_fd >= 0) {
            int flags = 0;
            if (m_ok && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(m_fd);
        }
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

    bool ok() const noexcept { return m_ok; }

private:
    std::filesystem::path m_dir;
    int m_fd = -1;
    bool m_ok = true;
};

class MontaTabelaIRTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = drives.addDrive('C');
        std::filesystem::create_directories(root / "DIRF99");
    }

    void writeRaw(const std::string& bytes) { testsupport::writeFile(rawFile(), bytes); }
    std::filesystem::path rawFile() const { return root / "DIRF99" / "IR_CRU.DBF"; }

    // splitRecords 2: even a small table is read by two threads.
    void runPass(std::uint32_t splitRecords = prep::kSplitRecords)
    {
        db::Query sql;
        db::Table ir, dirf;
        prep::MontaTabelaIR('C', sql, ir, dirf, splitRecords);
        EXPECT_FALSE(ir.active());
        EXPECT_FALSE(dirf.active());
        EXPECT_EQ(ir.tableName(), "C:\\dirf99\\IR.DB");
        EXPECT_EQ(dirf.tableName(), "C:\\dirf99\\ir_cru.dbf");
    }

    std::string runPassError(std::uint32_t splitRecords = prep::kSplitRecords)
    {
        try {
            runPass(splitRecords);
        } catch (const db::DbError& e) {
            return e.what();
        }
        return "";
    }

    WorkRows workTable() const
    {
        db::Table ir;
        prep::defineWorkTableFields(ir);
        ir.setTableName("C:\\DIRF99\\ir.db");
        ir.open();
        WorkRows rows;
        for (ir.first(); !ir.eof(); ir.next()) {
            rows[ir.fieldByName("EP_CODIGO").asString() + " " +
                 ir.fieldByName("FU_CODIGO").asString() + " " +
                 ir.fieldByName("IN_CODIGO").asString()] = ir.fieldByName("IR_TOTAL").asFloat();
        }
        return rows;
    }

    testsupport::FakeDrives drives;
    std::filesystem::path root;
};

// The pass as the design states it, record by record through the table components: a keyed
// search, edit or append, and a post per raw record, then the floor.
void literalPass(char drive)
{
    db::Query sql;
    db::Table IR, DIRF;
    prep::defineWorkTableFields(IR);
    prep::defineRawTableFields(DIRF);
    try {
        sql.addSql(prep::dropWorkTableSql(drive));
        sql.execSql();
    } catch (const db::DbError&) {
    }
    sql.clearSql();
    sql.addSql(prep::createWorkTableSql(drive));
    sql.execSql();
    IR.setTableName(prep::payrollPath(drive, prep::kWorkTablePath));
    IR.open();
    DIRF.setTableName(prep::payrollPath(drive, prep::kRawTablePath));
    DIRF.open();
    IR.startTransaction(); // one commit instead of one per post; the rows are the same
    for (DIRF.first(); !DIRF.eof(); DIRF.next()) {
        const std::string c = DIRF.fieldByName("IN_CODIGO").asString();
        const prep::StoredCode s = prep::storedCode(c);
        const std::string ep = DIRF.fieldByName("EP_CODIGO").asString();
        const std::string fu = DIRF.fieldByName("FU_CODIGO").asString();
        if (IR.findKey({ep, fu, s.code}))
            IR.edit();
        else
            IR.append();
        IR.fieldByName("EP_CODIGO").setAsString(ep);
        IR.fieldByName("FU_CODIGO").setAsString(fu);
        IR.fieldByName("IN_CODIGO").setAsString(s.code);
        prep::Currency sum = 0;
        for (int m = 1; m <= 12; ++m)
            sum += *prep::currencyFromDouble(
                DIRF.fieldByName(std::string("IR_") + (m < 10 ? "0" : "") + std::to_string(m))
                    .asFloat());
        const prep::Currency t = *prep::currencyFromDouble(IR.fieldByName("IR_TOTAL").asFloat());
        IR.fieldByName("IR_TOTAL")
            .setAsFloat(prep::currencyToDouble(s.subtract ? t - sum : t + sum));
        IR.post();
    }
    for (IR.first(); !IR.eof(); IR.next()) {
        if (*prep::currencyFromDouble(IR.fieldByName("IR_TOTAL").asFloat()) < 0) {
            IR.edit();
            IR.fieldByName("IR_TOTAL").setAsFloat(0);
            IR.post();
        }
    }
    IR.commit();
}

} // namespace

TEST_F(MontaTabelaIRTest, TotalsPerCompanyEmployeeAndStoredCode)
{
    const double tiny = 0.00004;
    struct Case {
        const char* name;
        std::vector<Raw> raw;
        WorkRows expected;
    };
    std::vector<Case> cases = {
        {"duplicates are summed",
         {raw("01", "00001", "41", {100.10, 200.20}), raw("01", "00001", "41", {0.70})},
         {{"01 00001 41", 301.0}}},
        {"91 deducted from 61",
         {raw("01", "00001", "61", {500, 500}), raw("01", "00001", "91", {150})},
         {{"01 00001 61", 850.0}}},
        {"91 before 61",
         {raw("01", "00001", "91", {100, 50}), raw("01", "00001", "61", {1000})},
         {{"01 00001 61", 850.0}}},
        {"91 above 61 is floored",
         {raw("01", "00001", "61", {100}), raw("01", "00001", "91", {150})},
         {{"01 00001 61", 0.0}}},
        {"91 alone gives 61 at zero", {raw("02", "00007", "91", {10})}, {{"02 00007 61", 0.0}}},
        {"40 to 49 and 49 to 4X",
         {raw("01", "00001", "40", {1}), raw("01", "00001", "49", {2})},
         {{"01 00001 49", 1.0}, {"01 00001 4X", 2.0}}},
        {"each month rounded on its own",
         {raw("01", "00001", "41",
              {tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny})},
         {{"01 00001 41", 0.0}}},
        {"empty amounts count as zero",
         {raw("01", "00001", "41", {std::nullopt, 5.5, std::nullopt})},
         {{"01 00001 41", 5.5}}},
        {"empty raw table", {}, {}},
        {"deleted records are skipped",
         {raw("01", "00001", "41", {1}),
          [] {
              Raw r = raw("01", "00001", "41", {1000});
              r.deleted = true;
              return r;
          }()},
         {{"01 00001 41", 1.0}}},
        {"keys are exact text, companies and employees apart",
         {raw("01", "00001", "41", {1}), raw("02", "00001", "41", {2}),
          raw("01", "00002", "41", {3}), raw("01", "00001", "42", {4})},
         {{"01 00001 41", 1.0}, {"02 00001 41", 2.0}, {"01 00002 41", 3.0}, {"01 00001 42", 4.0}}},
    };
    // Fields the pass does not read have no effect.
    Raw other = raw("01", "00001", "41", {7});
    other.tipo = "X";
    other.vale = 999;
    other.status = "Z";
    cases.push_back(
        {"IN_TIPO, IR_VALE and IR_STATUS are not read", {other}, {{"01 00001 41", 7.0}}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeRaw(rawTableBytes(c.raw));
        runPass();
        EXPECT_EQ(workTable(), c.expected);
        runPass(2);
        EXPECT_EQ(workTable(), c.expected) << "read by two threads";
    }
}

TEST_F(MontaTabelaIRTest, SecondRunReplacesTheFirstAndRawTableIsOnlyRead)
{
    writeRaw(rawTableBytes({raw("01", "00001", "41", {10}), raw("01", "00002", "41", {20})}));
    runPass();
    const std::string bytes = rawTableBytes({raw("01", "00001", "41", {1})});
    writeRaw(bytes);
    runPass();
    EXPECT_EQ(workTable(), (WorkRows{{"01 00001 41", 1.0}}));
    EXPECT_EQ(testsupport::readFile(rawFile()), bytes)
        << "the raw table is byte-for-byte unchanged";
}

TEST_F(MontaTabelaIRTest, FailuresStopThePassAndLeaveTheWorkTableEmpty)
{
    // A raw table without IR_VALE, which the pass never reads, does not open.
    std::vector<DbfColumn> columns = rawColumns();
    columns.erase(columns.end() - 2);
    sample::DbfWriter w(columns);
    std::vector<DbfValue> values;
    for (const char* text : {"01", "00001", "41", "N"})
        values.emplace_back(std::string(text));
    for (int m = 0; m < 12; ++m)
        values.emplace_back(1.0);
    values.emplace_back(std::string("A"));
    w.addRecord(values);
    writeRaw(w.bytes());
    EXPECT_EQ(runPassError(), "Field 'IR_VALE' not found: C:\\dirf99\\ir_cru.dbf");
    EXPECT_TRUE(workTable().empty());

    // An amount beyond the currency's range is refused, not wrapped.
    writeRaw(rawTableBytes({raw("01", "00001", "41", {1}), raw("03", "00042", "61", {9e14, 9e14})},
                           rawColumns(20, 2)));
    EXPECT_EQ(runPassError(),
              "Valor fora do limite da moeda: empresa 03, funcionário 00042, código 61");
    EXPECT_TRUE(workTable().empty()) << "never partly filled";
    EXPECT_EQ(runPassError(2),
              "Valor fora do limite da moeda: empresa 03, funcionário 00042, código 61");

    // With two threads, the first bad record in stored order is the one reported.
    {
        std::string bytes =
            rawTableBytes({raw("01", "00001", "41", {1}), raw("01", "00002", "41", {2}),
                           raw("01", "00003", "41", {3}), raw("01", "00004", "41", {4})});
        const std::size_t header = 32 + 32 * 18 + 1;
        const std::size_t record = 1 + 2 + 5 + 2 + 1 + 13 * 15 + 1;
        bytes.replace(header + 1 * record + 11, 15, "     bad number");
        bytes.replace(header + 3 * record + 11, 15, "     bad again!");
        writeRaw(bytes);
        EXPECT_EQ(runPassError(2),
                  "Invalid number 'bad number' in field IR_01 of record 2: C:\\dirf99\\ir_cru.dbf");
    }

    // A missing raw table stops the pass after the work table was created empty.
    std::filesystem::remove(rawFile());
    EXPECT_EQ(runPassError(), "Table does not exist: C:\\dirf99\\ir_cru.dbf");
    EXPECT_TRUE(workTable().empty());

    // Without the work directory the creation fails.
    std::filesystem::remove_all(root / "DIRF99");
    EXPECT_EQ(runPassError(), "Directory does not exist: C:\\dirf99");
}

TEST_F(MontaTabelaIRTest, BrokenRawTablesStopThePassBeforeAnythingIsWritten)
{
    std::vector<Raw> records;
    for (int i = 1; i <= 6; ++i)
        records.push_back(raw("01", "0000" + std::to_string(i), "41", {100.0 * i, 5}));
    const std::string good = rawTableBytes(records);
    const std::size_t header = 32 + 32 * 18 + 1;
    const std::size_t record = 1 + 2 + 5 + 2 + 1 + 13 * 15 + 1;
    const std::size_t month2 = 1 + 2 + 5 + 2 + 1 + 15; // IR_02 within a record

    const auto with = [&](std::size_t at, std::string_view bytes) {
        std::string b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const auto le16 = [](std::size_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    const std::string table = ": C:\\dirf99\\ir_cru.dbf";
    struct Case {
        const char* name;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"header length one more", with(8, le16(header + 1)),
         "Corrupt table header (header length does not match the field descriptors)" + table},
        {"header length one less", with(8, le16(header - 1)),
         "Corrupt table header (no end mark after the field descriptors)" + table},
        {"record length one less", with(10, le16(record - 1)),
         "Corrupt table header (fields add up to 207 bytes per record, header says 206)" + table},
        {"a field one byte longer", with(32 + 5 * 32 + 16, "\x10"),
         "Corrupt table header (fields add up to 208 bytes per record, header says 207)" + table},
        {"two signs", with(header + 2 * record + month2, "            +-5"),
         "Invalid number '+-5' in field IR_02 of record 3" + table},
        {"a NUL inside a number",
         with(header + 3 * record + month2, std::string("    12\0"
                                                        "34.00000",
                                                        15)),
         "Invalid number '12\\x0034.00000' in field IR_02 of record 4" + table},
        {"an overflowed number", with(header + 4 * record + month2, std::string(15, '*')),
         "Overflowed or empty number (asterisks) in field IR_02 of record 5" + table},
        {"a record without a deletion flag", with(header + 5 * record, "0"),
         "Corrupt table (record 6 starts with '0', not with a deletion flag)" + table},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeRaw(good);
        runPass();
        ASSERT_EQ(workTable().size(), 6u);
        writeRaw(c.bytes);
        EXPECT_EQ(runPassError(), c.expected);
        EXPECT_TRUE(workTable().empty()) << "nothing of the broken table was written";
        EXPECT_EQ(runPassError(2), c.expected) << "read by two threads";
        EXPECT_TRUE(workTable().empty());
    }
}

TEST_F(MontaTabelaIRTest, AnOldTableThatCannotBeDroppedStopsThePassWithTheReason)
{
    writeRaw(rawTableBytes({raw("01", "00001", "41", {1})}));
    const std::filesystem::path work = root / "DIRF99" / "IR.DB";
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* expected;
    };
    const Case cases[] = {
        {"a directory", [&] { std::filesystem::create_directory(work); },
         "Cannot drop table (it is a directory, not a table file): C:\\dirf99\\IR.DB"},
        {"a named pipe", [&] { ASSERT_EQ(::mkfifo(work.c_str(), 0600), 0); },
         "Cannot drop table (it is a named pipe, not a table file): C:\\dirf99\\IR.DB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        EXPECT_EQ(runPassError(), c.expected);
        std::filesystem::remove(work);
    }
}

TEST_F(MontaTabelaIRTest, AWorkFolderThatCannotBeWrittenIsNamedAsTheReason)
{
    writeRaw(rawTableBytes({raw("01", "00001", "41", {1})}));
    runPass();
    {
        ReadOnlyDirectory readOnly(root / "DIRF99");
        if (!readOnly.ok())
            GTEST_SKIP() << "this root process cannot make a folder read-only";
        EXPECT_EQ(runPassError(), "Cannot drop table (the directory C:\\dirf99 is not writable): "
                                  "C:\\dirf99\\IR.DB");
        EXPECT_EQ(workTable(), (WorkRows{{"01 00001 41", 1.0}})) << "the old table stays whole";
    }
    std::filesystem::remove(root / "DIRF99" / "IR.DB");
    {
        ReadOnlyDirectory readOnly(root / "DIRF99");
        EXPECT_EQ(runPassError(), "Cannot create table (the directory C:\\dirf99 is not "
                                  "writable): C:\\dirf99\\IR.DB");
    }
}

TEST_F(MontaTabelaIRTest, ReadsTablesWrittenByOtherDbaseTools)
{
    for (const char* fixture : {"db3_memo.dbf", "vfp.dbf"}) {
        SCOPED_TRACE(fixture);
        std::filesystem::copy_file(std::filesystem::path(RADAZIZ_PREP_FIXTURES) / fixture,
                                   rawFile(), std::filesystem::copy_options::overwrite_existing);
        runPass();
        EXPECT_EQ(workTable(), (WorkRows{{"01 00001 41", 300.75}, {"01 00002 41", 12.0}}));
    }
}

TEST_F(MontaTabelaIRTest, SameResultAsTheRecordByRecordAlgorithm)
{
    std::mt19937 random(1999);
    const char* codes[] = {"41", "42", "40", "49", "61", "91", "51", "4X"};
    for (int round = 0; round < 8; ++round) {
        std::vector<Raw> records;
        const int n = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < n; ++i) {
            Raw r = raw(random() % 2 ? "01" : "02", random() % 2 ? "00001" : "00002",
                        codes[random() % 8], {});
            for (auto& m : r.months) {
                if (random() % 5 == 0)
                    continue;
                m = static_cast<double>(static_cast<int>(random() % 2000000) - 400000) / 100000.0;
            }
            records.push_back(r);
        }
        writeRaw(rawTableBytes(records));
        literalPass('C');
        const WorkRows expected = workTable();
        runPass();
        EXPECT_EQ(workTable(), expected) << "round " << round;
        runPass(2);
        EXPECT_EQ(workTable(), expected) << "round " << round << ", two threads";
    }
}
