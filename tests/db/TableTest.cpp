#include "db/Table.h"
#include "db/DbError.h"
#include "db/Query.h"
#include "sample/DbfWriter.h"
#include "support/Errors.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

using db::DbError;
using db::FieldType;
using sample::DbfWriter;
using testsupport::errorOf;

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = drives.addDrive('C');
        std::filesystem::create_directories(root / "DIRF99");
        DbfWriter w({{"EP_CODIGO", 'C', 2},
                     {"NOME", 'C', 10},
                     {"IR_01", 'N', 12, 2},
                     {"QTD", 'N', 4, 0},
                     {"EXTRA", 'C', 3}});
        w.addRecord({std::string("01"), std::string("ANA"), 10.5, 3.0, std::string("x")});
        w.addRecord(
            {std::string("02"), std::string("BIA"), std::monostate{}, 1.0, std::string("y")});
        w.write(root / "DIRF99" / "IR_CRU.DBF");
    }

    void createWorkTable()
    {
        db::Query sql;
        sql.addSql("CREATE TABLE 'C:\\dirf99\\IR.DB' (EP_CODIGO CHAR(2),FU_CODIGO CHAR(5),"
                   "IN_CODIGO CHAR(2),IR_TOTAL NUMERIC(16,2),PRIMARY KEY "
                   "(EP_CODIGO,FU_CODIGO,IN_CODIGO))");
        sql.execSql();
    }

    testsupport::FakeDrives drives;
    std::filesystem::path root;
};

} // namespace

TEST_F(TableTest, DbfTableBindsByNameRegardlessOfCase)
{
    db::Table t;
    t.setTableName("C:\\dirf99\\ir_cru.dbf");
    db::Field& code = t.addField("DIRFEP_CODIGO", "EP_CODIGO", FieldType::String, 2);
    db::Field& amount = t.addField("DIRFIR_01", "IR_01", FieldType::Float);
    t.open();
    ASSERT_FALSE(t.eof());
    EXPECT_EQ(code.asString(), "01");
    EXPECT_DOUBLE_EQ(amount.asFloat(), 10.5);
    t.next();
    EXPECT_EQ(code.asString(), "02");
    EXPECT_EQ(amount.asFloat(), 0.0);
    t.next();
    EXPECT_TRUE(t.eof());
    t.close();
    EXPECT_FALSE(t.active());
}

TEST_F(TableTest, BindingErrors)
{
    struct Case {
        const char* field;
        FieldType type;
        int size;
        const char* expected;
    };
    const Case cases[] = {
        {"IR_VALE", FieldType::Float, 0, "Field 'IR_VALE' not found"},
        {"NOME", FieldType::Float, 0,
         "Type mismatch for field 'NOME', expecting: Float actual: String"},
        {"IR_01", FieldType::String, 12,
         "Type mismatch for field 'IR_01', expecting: String actual: Float"},
        {"QTD", FieldType::Float, 0,
         "Type mismatch for field 'QTD', expecting: Float actual: SmallInt"},
        {"NOME", FieldType::String, 30, "Size mismatch for field 'NOME', expecting: 30 actual: 10"},
    };
    // Each names the table as well as the field.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        db::Table t;
        t.setTableName("C:\\DIRF99\\IR_CRU.DBF");
        t.addField("EP", "EP_CODIGO", FieldType::String, 2);
        t.addField("X", c.field, c.type, c.size);
        EXPECT_EQ(errorOf([&] { t.open(); }), std::string(c.expected) + ": C:\\DIRF99\\IR_CRU.DBF");
        EXPECT_FALSE(t.active());
    }
}

TEST_F(TableTest, MissingTablesNameTheirPath)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\dirf99\\nada.dbf", "Table does not exist: C:\\dirf99\\nada.dbf"},
        {"C:\\fp\\FP_EMP.DBF", "Directory does not exist: C:\\fp"},
        {"Q:\\fp\\FP_EMP.DBF", "Drive Q: does not exist: Q:\\fp\\FP_EMP.DBF"},
        {"C:\\dirf99\\IR.DB", "Table does not exist: C:\\dirf99\\IR.DB"},
        {"C:\\dirf99\\x.txt", "Unknown table type: C:\\dirf99\\x.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        db::Table t;
        t.setTableName(c.path);
        EXPECT_EQ(errorOf([&] { t.open(); }), c.expected);
    }
}

TEST_F(TableTest, DbfTablesAreReadOnly)
{
    db::Table t;
    t.setTableName("C:\\dirf99\\ir_cru.dbf");
    t.addField("N", "NOME", FieldType::String, 10);
    t.open();
    t.edit();
    t.fieldByName("NOME").setAsString("ZÉ");
    EXPECT_EQ(errorOf([&] { t.post(); }), "Table is read only: C:\\dirf99\\ir_cru.dbf");
    EXPECT_EQ(errorOf([&] { t.findKey({"01"}); }),
              "Table has no primary index: C:\\dirf99\\ir_cru.dbf");
}

TEST_F(TableTest, WorkTableKeyedSearchEditAppendInKeyOrder)
{
    createWorkTable();
    db::Table ir;
    ir.setTableName("C:\\dirf99\\IR.DB");
    db::Field& ep = ir.addField("IREP_CODIGO", "EP_CODIGO", FieldType::String, 2);
    db::Field& fu = ir.addField("IRFU_CODIGO", "FU_CODIGO", FieldType::String, 5);
    db::Field& in = ir.addField("IRIN_CODIGO", "IN_CODIGO", FieldType::String, 2);
    db::Field& total = ir.addField("IR_TOTAL", "IR_TOTAL", FieldType::Float);
    ir.open();
    EXPECT_TRUE(ir.eof());

    auto put = [&](const char* e, const char* f, const char* i, double v) {
        if (ir.findKey({e, f, i})) {
            ir.edit();
        } else {
            ir.append();
            EXPECT_TRUE(total.isNull());
            EXPECT_EQ(total.asFloat(), 0.0) << "a new record's total reads as zero";
        }
        ep.setAsString(e);
        fu.setAsString(f);
        in.setAsString(i);
        total.setAsFloat(total.asFloat() + v);
        ir.post();
    };
    put("02", "00001", "41", 5);
    put("01", "00002", "61", 7);
    put("01", "00002", "41", 1);
    put("02", "00001", "41", 2.5);
    EXPECT_EQ(ir.findKey({"01", "00002", "4X"}), false);
    EXPECT_EQ(errorOf([&] { ir.findKey({"01"}); }), "Key has 3 fields: C:\\dirf99\\IR.DB");

    // Browsing after a search continues in key order from the record found.
    ASSERT_TRUE(ir.findKey({"01", "00002", "61"}));
    ir.next();
    EXPECT_EQ(ep.asString() + fu.asString() + in.asString(), "020000141");
    EXPECT_DOUBLE_EQ(total.asFloat(), 7.5);

    std::vector<std::string> seen;
    for (ir.first(); !ir.eof(); ir.next())
        seen.push_back(ep.asString() + fu.asString() + in.asString());
    EXPECT_EQ(seen, (std::vector<std::string>{"010000241", "010000261", "020000141"}));

    // Posting a duplicate key is refused.
    ir.append();
    ep.setAsString("01");
    fu.setAsString("00002");
    in.setAsString("41");
    EXPECT_NE(errorOf([&] { ir.post(); }).find("Key violation"), std::string::npos);
    ir.cancel();
    ir.close();

    ir.open();
    int rows = 0;
    for (ir.first(); !ir.eof(); ir.next())
        ++rows;
    EXPECT_EQ(rows, 3);
}

TEST_F(TableTest, TransactionRollbackLeavesTableEmpty)
{
    createWorkTable();
    db::Table ir;
    ir.setTableName("C:\\DIRF99\\ir.db");
    db::Field& ep = ir.addField("E", "EP_CODIGO", FieldType::String, 2);
    db::Field& fu = ir.addField("F", "FU_CODIGO", FieldType::String, 5);
    db::Field& in = ir.addField("I", "IN_CODIGO", FieldType::String, 2);
    ir.open();
    ir.append();
    ep.setAsString("01");
    EXPECT_EQ(errorOf([&] { ir.post(); }),
              "Field value required (NOT NULL constraint failed: IR.FU_CODIGO): C:\\DIRF99\\ir.db");
    ir.cancel();
    ir.startTransaction();
    ir.append();
    ep.setAsString("01");
    fu.setAsString("00001");
    in.setAsString("41");
    ir.post();
    ir.rollback();
    ir.close();
    ir.open();
    EXPECT_TRUE(ir.eof());
}
