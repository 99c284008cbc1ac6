#include "db/Query.h"
#include "db/DbError.h"
#include "db/LocalSql.h"
#include "db/Table.h"
#include "sample/DbfWriter.h"
#include "support/Errors.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

using db::DbError;
using db::FieldType;
using sample::DbfWriter;
using testsupport::errorOf;

namespace {

void exec(const std::string& statement)
{
    db::Query q;
    q.addSql(statement);
    q.execSql();
}

const char* kCreate = "CREATE TABLE 'C:\\dirf99\\IR.DB' (EP_CODIGO CHAR(2),FU_CODIGO CHAR(5),"
                      "IN_CODIGO CHAR(2),IR_TOTAL NUMERIC(16,2),PRIMARY KEY "
                      "(EP_CODIGO,FU_CODIGO,IN_CODIGO))";

// Two payroll tables on drive C: and, on request, the work table they are joined with.
DbfWriter writePayroll(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "FP");
    std::filesystem::create_directories(root / "DIRF99");
    DbfWriter emp({{"EP_CODIGO", 'C', 2}, {"EP_NOME", 'C', 35}, {"EP_OUTRO", 'N', 5, 0}});
    emp.addRecord({std::string("01"), std::string("PADARIA SÃO JOSÉ"), 1.0});
    emp.write(root / "FP" / "FP_EMP.DBF");
    DbfWriter fun({{"EP_CODIGO", 'C', 2}, {"FU_CODIGO", 'C', 5}, {"FU_NOME", 'C', 30}});
    fun.addRecord({std::string("01"), std::string("00001"), std::string("MARIA")});
    fun.addRecord({std::string("01"), std::string("00009"), std::string("ÁLVARO")});
    fun.addRecord({std::string("01"), std::string("00003"), std::string("ALVARO")});
    fun.addRecord({std::string("01"), std::string("00004"), std::string("alvaro")});
    fun.write(root / "FP" / "FP_FUN.DBF");
    return fun;
}

void writeWorkTable()
{
    exec(kCreate);
    db::Table ir;
    ir.setTableName("C:\\dirf99\\IR.DB");
    auto& e = ir.addField("E", "EP_CODIGO", FieldType::String, 2);
    auto& f = ir.addField("F", "FU_CODIGO", FieldType::String, 5);
    auto& i = ir.addField("I", "IN_CODIGO", FieldType::String, 2);
    auto& t = ir.addField("T", "IR_TOTAL", FieldType::Float);
    ir.open();
    for (const char* fu : {"00001", "00009", "00003", "00004"}) {
        for (const char* code : {"4X", "41", "49", "90"}) {
            ir.append();
            e.setAsString("01");
            f.setAsString(fu);
            i.setAsString(code);
            t.setAsFloat(850.0);
            ir.post();
        }
    }
}

const std::vector<std::string> kJoin = {
    "SELECT Emp.EP_NOME, Fun.FU_NOME, Fun.FU_CODIGO, Ir.IN_CODIGO, Ir.IR_TOTAL",
    "FROM \"C:\\fp\\FP_EMP.DBF\" Emp",
    "   INNER JOIN \"C:\\fp\\FP_FUN.DBF\" Fun",
    "   ON  (Fun.EP_CODIGO = Emp.EP_CODIGO)  ",
    "   INNER JOIN \"C:\\DIRF99\\IR.DB\" Ir",
    "   ON  (Ir.EP_CODIGO = Fun.EP_CODIGO)  ",
    "   AND  (Ir.FU_CODIGO = Fun.FU_CODIGO)  ",
    "WHERE  Ir.IN_CODIGO < '90' ",
    "ORDER BY Fun.EP_CODIGO, Fun.FU_NOME, Fun.FU_CODIGO, Ir.IN_CODIGO"};

const std::vector<std::string> kJoinRows = {"alvaro 41", "alvaro 49", "alvaro 4X", "ALVARO 41",
                                            "ALVARO 49", "ALVARO 4X", "ÁLVARO 41", "ÁLVARO 49",
                                            "ÁLVARO 4X", "MARIA 41",  "MARIA 49",  "MARIA 4X"};

std::vector<std::string> nameAndCodeRows(db::Query& q)
{
    std::vector<std::string> rows;
    for (q.first(); !q.eof(); q.next())
        rows.push_back(q.fieldByName("FU_NOME").asString() + " " +
                       q.fieldByName("IN_CODIGO").asString());
    return rows;
}

} // namespace

TEST(Query, SqlTextLines)
{
    db::Query q;
    q.setSqlText("SELECT a\r\nFROM b\nWHERE c\r\n");
    EXPECT_EQ(q.sql(), (std::vector<std::string>{"SELECT a", "FROM b", "WHERE c"}));
    EXPECT_EQ(q.sqlText(), "SELECT a\r\nFROM b\r\nWHERE c\r\n");
    q.clearSql();
    EXPECT_TRUE(q.sql().empty());
}

TEST(Query, DropAndCreateWorkTable)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('D');
    std::filesystem::create_directories(root / "DIRF99");

    EXPECT_EQ(errorOf([] { exec("DROP TABLE 'C:\\dirf99\\IR.DB'"); }),
              "Drive C: does not exist: C:\\dirf99\\IR.DB");
    EXPECT_EQ(errorOf([] { exec("DROP TABLE 'D:\\dirf99\\IR.DB'"); }),
              "Table does not exist: D:\\dirf99\\IR.DB");
    std::string create = kCreate;
    create[14] = 'D';
    exec(create);
    EXPECT_TRUE(std::filesystem::exists(root / "DIRF99" / "IR.DB"))
        << "created in the directory as spelled on disk";
    EXPECT_EQ(errorOf([&] { exec(create); }), "Table already exists: D:\\dirf99\\IR.DB");
    exec("drop table \"D:\\DIRF99\\ir.db\";");
    EXPECT_FALSE(std::filesystem::exists(root / "DIRF99" / "IR.DB"));
    exec(create);
}

TEST(Query, RefusedStatements)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    std::filesystem::create_directories(root / "fp");
    testsupport::writeFile(root / "fp" / "FP_EMP.DBF", "payroll data");
    struct Case {
        std::string statement;
        const char* expected;
    };
    const Case cases[] = {
        {kCreate, "Directory does not exist: C:\\dirf99"},
        {"DELETE FROM 'C:\\dirf99\\IR.DB'",
         "Unsupported SQL statement: DELETE FROM 'C:\\dirf99\\IR.DB'"},
        {"DROP TABLE 'C:\\fp\\FP_EMP.DBF'",
         "Unsupported SQL statement: only work tables (.DB) can be created or dropped: "
         "C:\\fp\\FP_EMP.DBF"},
        {"CREATE TABLE 'C:\\fp\\X.DB' (A CHAR(2)", "incomplete input: C:\\fp\\X.DB"},
        {"CREATE TABLE 'C:\\fp\\X.DB' (A CHAR(2),)", "near \")\": syntax error: C:\\fp\\X.DB"},
        {"", "Unsupported SQL statement: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(errorOf([&] { exec(c.statement); }), c.expected);
    }
    EXPECT_EQ(testsupport::readFile(root / "fp" / "FP_EMP.DBF"), "payroll data");
    EXPECT_FALSE(std::filesystem::exists(root / "fp" / "X.DB"))
        << "a failed creation leaves nothing";
}

TEST(Query, SelectJoinsPayrollAndWorkTables)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    const DbfWriter fun = writePayroll(root);
    writeWorkTable();

    db::Query q;
    q.setSql(kJoin);
    auto& empName = q.addField("FunEP_NOME", "EP_NOME", FieldType::String, 35);
    auto& name = q.addField("FunFU_NOME", "FU_NOME", FieldType::String, 30);
    auto& code = q.addField("FunIN_CODIGO", "IN_CODIGO", FieldType::String, 2);
    auto& total = q.addField("FunIR_TOTAL", "IR_TOTAL", FieldType::Float);
    bool hookRan = false;
    q.onBeforeOpen = [&](db::Query&) {
        hookRan = true;
    };
    q.open();
    EXPECT_TRUE(hookRan);
    EXPECT_EQ(q.recordCount(), 12);
    std::vector<std::string> rows;
    for (; !q.eof(); q.next())
        rows.push_back(name.asString() + " " + code.asString());
    EXPECT_EQ(empName.asString(), "");
    q.first();
    EXPECT_EQ(empName.asString(), "PADARIA SÃO JOSÉ");
    EXPECT_DOUBLE_EQ(total.asFloat(), 850.0);
    EXPECT_EQ(rows, kJoinRows);
    q.close();

    // The payroll tables were only read.
    EXPECT_EQ(testsupport::readFile(root / "FP" / "FP_FUN.DBF"), fun.bytes());

    // A binding error names the table the column comes from.
    q.addField("X", "IN_CODIGO", FieldType::String, 3);
    EXPECT_EQ(errorOf([&] { q.open(); }),
              "Size mismatch for field 'IN_CODIGO', expecting: 3 actual: 2: C:\\DIRF99\\IR.DB");
}

TEST(Query, PayrollTablesLoadedAheadOfTheWorkTable)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    writePayroll(root);

    // The text names drive J: until the hook puts in the payroll drive, as the report does.
    std::vector<std::string> onJ = kJoin;
    for (std::string& line : onJ) {
        if (const auto at = line.find("C:\\"); at != std::string::npos)
            line[at] = 'J';
    }
    db::Query q;
    q.setSql(onJ);
    q.addField("N", "FU_NOME", FieldType::String, 30);
    q.addField("C", "IN_CODIGO", FieldType::String, 2);
    int hookRuns = 0;
    q.onBeforeOpen = [&](db::Query& dataSet) {
        ++hookRuns;
        std::vector<std::string> lines = dataSet.sql();
        for (std::string& line : lines) {
            if (const auto at = line.find("J:\\"); at != std::string::npos)
                line[at] = 'C';
        }
        dataSet.setSql(lines);
    };
    q.loadAhead();
    EXPECT_EQ(q.sql(), onJ) << "the hook ran on a copy";
    writeWorkTable(); // only now: the pass builds it while the payroll tables load
    q.open();
    EXPECT_EQ(hookRuns, 2);
    EXPECT_EQ(nameAndCodeRows(q), kJoinRows);
    EXPECT_EQ(q.recordCount(), 12);
    db::Query fresh;
    fresh.setSql(kJoin);
    fresh.open();
    EXPECT_EQ(q.queryPlan(), fresh.queryPlan());
    q.close();

    // Loaded for another text than the one opened: the open loads anew.
    q.onBeforeOpen = nullptr;
    q.loadAhead();
    std::vector<std::string> byCode = kJoin;
    byCode.back() = "ORDER BY Fun.FU_CODIGO DESC, Ir.IN_CODIGO";
    q.setSql(byCode);
    q.open();
    const std::vector<std::string> rows = nameAndCodeRows(q);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front(), "ÁLVARO 41");
}

TEST(Query, SelectErrors)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    std::filesystem::create_directories(root / "fp");
    DbfWriter inf({{"IN_CODIGO", 'C', 2}, {"IN_NOME", 'C', 20}});
    inf.write(root / "fp" / "FP_INF.DBF");
    struct Case {
        const char* sql;
        const char* field;
        const char* expected;
    };
    const Case cases[] = {
        {"SELECT Inf.IN_NOME FROM \"C:\\fp\\FP_INF.DBF\" Inf", "IN_NOME",
         "Size mismatch for field 'IN_NOME', expecting: 25 actual: 20: C:\\fp\\FP_INF.DBF"},
        {"SELECT Inf.IN_CODIGO FROM \"C:\\fp\\FP_INF.DBF\" Inf", "IN_NOME",
         "Field 'IN_NOME' not found: SELECT Inf.IN_CODIGO FROM \"C:\\fp\\FP_INF.DBF\" Inf"},
        {"SELECT Inf.IN_NOME AS X FROM \"C:\\fp\\FP_INF.DBF\" Inf", "X",
         "Size mismatch for field 'X', expecting: 25 actual: 20: C:\\fp\\FP_INF.DBF"},
        {"SELECT x.IN_NOME FROM \"C:\\fp\\FP_XXX.DBF\" x", "IN_NOME",
         "Table does not exist: C:\\fp\\FP_XXX.DBF"},
        {"SELECT x.IN_NOME FROM \"C:\\DIRF99\\IR.DB\" x", "IN_NOME",
         "Directory does not exist: C:\\DIRF99"},
        {"SELECT Inf.NADA FROM \"C:\\fp\\FP_INF.DBF\" Inf", "IN_NOME",
         "Field 'NADA' not found: C:\\fp\\FP_INF.DBF"},
        {"SELECT inf.nada FROM \"C:\\fp\\FP_INF.DBF\" AS Inf", "IN_NOME",
         "Field 'nada' not found: C:\\fp\\FP_INF.DBF"},
        {"SELECT NADA FROM \"C:\\fp\\FP_INF.DBF\" Inf", "IN_NOME", "no such column: NADA"},
    };
    for (const bool ahead : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.sql) + (ahead ? " (tables loaded ahead)" : ""));
            db::Query q;
            q.addSql(c.sql);
            q.addField("F", c.field, FieldType::String, 25);
            if (ahead)
                q.loadAhead();
            EXPECT_EQ(errorOf([&] { q.open(); }), c.expected);
            EXPECT_FALSE(q.active());
        }
    }
}

TEST(LocalSql, TablesLoadedAheadServeOnlyTheSameText)
{
    testsupport::FakeDrives drives;
    const auto root = drives.addDrive('C');
    writePayroll(root);
    db::Query text;
    text.setSql(kJoin);
    std::unique_ptr<db::LoadedTables> ahead = db::LocalSelect::loadAhead(text.sqlText());
    ASSERT_TRUE(ahead);
    writeWorkTable();
    // Read once: the payroll files are not needed again by an open of the same text.
    std::filesystem::remove_all(root / "FP");
    db::LocalSelect select(text.sqlText() + " ;\r\n", std::move(ahead));
    int rows = 0;
    for (bool more = select.first(); more; more = select.next())
        ++rows;
    EXPECT_EQ(rows, 12);

    ahead = db::LocalSelect::loadAhead(text.sqlText());
    EXPECT_FALSE(ahead) << "a table that is missing makes the loading give up";
    writePayroll(root);
    ahead = db::LocalSelect::loadAhead(text.sqlText());
    std::filesystem::remove_all(root / "FP");
    const std::string sql = text.sqlText();
    const std::string other = "SELECT Fun.FU_NOME " + sql.substr(sql.find("FROM"));
    EXPECT_EQ(errorOf([&] { db::LocalSelect(other, std::move(ahead)); }),
              "Directory does not exist: C:\\fp")
        << "another text loads its tables anew";
}

TEST(LocalSql, ScanFindsTablesAliasesAndOrdering)
{
    const db::StatementTables s = db::scanStatement(
        "SELECT a.X, 'J:\\no.dbf' FROM \"J:\\fp\\A.DBF\" a INNER JOIN \"J:\\B.DB\" AS b ON "
        "a.K = b.K ORDER BY a.X, a.Y, b.Z");
    ASSERT_EQ(s.tables.size(), 2u);
    EXPECT_EQ(s.tables[0].name, "J:\\fp\\A.DBF");
    EXPECT_EQ(s.tables[0].alias, "A");
    EXPECT_EQ(s.tables[1].alias, "B");
    EXPECT_FALSE(s.star);
    EXPECT_EQ(s.orderAlias, "A");
    EXPECT_EQ(s.orderColumns, (std::vector<std::string>{"X", "Y"}));
}
