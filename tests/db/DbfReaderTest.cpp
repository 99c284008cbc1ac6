#include "db/DbfReader.h"
#include "db/DbError.h"
#include "sample/DbfWriter.h"
#include "support/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using db::DbfReader;
using sample::DbfColumn;
using sample::DbfWriter;
using testsupport::TempDir;

namespace {

std::string messageOf(const std::filesystem::path& file)
{
    try {
        DbfReader reader(file, "C:\\x\\T.DBF");
        while (reader.next()) {
            for (std::size_t i = 0; i < reader.fields().size(); ++i) {
                (void)reader.text(static_cast<int>(i));
            }
        }
    } catch (const db::DbError& e) {
        return e.what();
    }
    return "";
}

DbfWriter smallTable()
{
    DbfWriter w({{"NOME", 'C', 10},
                 {"VALOR", 'N', 8, 2},
                 {"TAXA", 'F', 6, 1},
                 {"DATA", 'D', 8},
                 {"ATIVO", 'L', 1},
                 {"OBS", 'M', 10}});
    w.addRecord({std::string("  ANA"), 12.5, 1.5, std::string("19991231"), true, std::monostate{}});
    w.addRecord({std::string("APAGADO"), 1.0, 0.0, std::monostate{}, false, std::monostate{}},
                true);
    w.addRecord({std::string("JOÃO"), std::monostate{}, -3.0, std::monostate{}, std::monostate{},
                 std::monostate{}});
    return w;
}

} // namespace

TEST(DbfReader, ReadsFieldsInStoredOrderSkippingDeleted)
{
    TempDir dir;
    smallTable().write(dir / "t.dbf");
    DbfReader r(dir / "t.dbf", "C:\\t.dbf");

    ASSERT_EQ(r.fields().size(), 6u);
    EXPECT_EQ(r.fields()[1].name, "VALOR");
    EXPECT_EQ(r.fields()[1].type, 'N');
    EXPECT_EQ(r.fields()[1].decimals, 2u);
    EXPECT_EQ(r.recordCount(), 3u);
    EXPECT_EQ(r.fieldIndex("valor"), 1);
    EXPECT_EQ(r.fieldIndex("NADA"), -1);

    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.text(0), "  ANA") << "leading blanks kept, trailing dropped";
    EXPECT_DOUBLE_EQ(r.number(1), 12.5);
    EXPECT_DOUBLE_EQ(r.number(2), 1.5);
    EXPECT_EQ(r.date(3), "19991231");
    EXPECT_EQ(r.logical(4), true);

    ASSERT_TRUE(r.next()) << "the deleted record is skipped";
    EXPECT_EQ(r.recordNumber(), 3u);
    EXPECT_EQ(r.text(0), "JOÃO");
    EXPECT_EQ(r.number(1), 0.0) << "an empty number reads as zero";
    EXPECT_EQ(r.date(3), "");
    EXPECT_EQ(r.logical(4), std::nullopt);
    EXPECT_FALSE(r.next());

    r.rewind();
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.text(0), "  ANA");
}

TEST(DbfReader, DecodesTextByLanguageDriver)
{
    struct Case {
        std::uint8_t driver;
        unsigned char byte;
        const char* expected;
    };
    const Case cases[] = {
        {0x01, 0x80, "Ç"},        // 437
        {0x02, 0xC7, "Ã"},        // 850
        {0x00, 0xC7, "Ã"},        // none: read as 850
        {0x7F, 0xC7, "Ã"},        // unknown: read as 850
        {0x24, 0x84, "ã"},        // 860
        {0x03, 0xC3, "Ã"},        // 1252
        {0x57, 0xE7, "ç"},        // 1252 (ANSI)
        {0x03, 0x81, "\xC2\x81"}, // undefined in 1252: the C1 control
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.driver));
        DbfWriter w({{"N", 'C', 3}});
        w.addRecord({std::string("abc")});
        std::string bytes = w.bytes();
        bytes[29] = static_cast<char>(c.driver);
        bytes[w.headerLength() + 2] = static_cast<char>(c.byte);
        TempDir dir;
        testsupport::writeFile(dir / "t.dbf", bytes);
        DbfReader r(dir / "t.dbf", "t");
        ASSERT_TRUE(r.next());
        EXPECT_EQ(r.text(0), std::string("a") + c.expected + "c");
    }
}

TEST(DbfReader, TextStopsAtNulAndWideCharacterFields)
{
    // Character fields longer than 255 bytes keep the high byte of their length in the
    // decimals byte; text padded with NULs instead of blanks ends at the first NUL.
    DbfWriter w({{"A", 'C', 4}, {"B", 'C', 44}, {"C", 'C', 2}});
    w.addRecord({std::string("xy"), std::string("long"), std::string("zz")});
    std::string bytes = w.bytes();
    bytes[32 + 16] = 4;
    bytes[w.headerLength() + 2] = '\0';
    // Make B 300 bytes: 44 + 256 = 300.
    bytes[64 + 16] = 44;
    bytes[64 + 17] = 1;
    const std::size_t recordLength = 1 + 4 + 300 + 2;
    bytes[10] = static_cast<char>(recordLength & 0xFF);
    bytes[11] = static_cast<char>(recordLength >> 8);
    std::string record = bytes.substr(w.headerLength(), w.recordLength());
    std::string wide = record.substr(0, 5) + "long" + std::string(296, ' ') + "zz";
    bytes = bytes.substr(0, w.headerLength()) + wide + "\x1a";
    TempDir dir;
    testsupport::writeFile(dir / "t.dbf", bytes);
    DbfReader r(dir / "t.dbf", "t");
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.fields()[1].length, 300u);
    EXPECT_EQ(r.text(0), "x");
    EXPECT_EQ(r.text(1), "long");
    EXPECT_EQ(r.text(2), "zz");
}

TEST(DbfReader, RefusesDamagedFilesWithClearMessages)
{
    DbfWriter w({{"NOME", 'C', 10}, {"VALOR", 'N', 8, 2}});
    for (int i = 0; i < 5; ++i)
        w.addRecord({std::string("X"), 1.0 * i});
    const std::string good = w.bytes();
    const std::size_t header = w.headerLength();

    auto with = [&](std::size_t at, unsigned char value) {
        std::string b = good;
        b[at] = static_cast<char>(value);
        return b;
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"empty file", "", "Not a dBase table (file too short)"},
        {"short header", good.substr(0, 20), "Not a dBase table (file too short)"},
        {"unknown version", with(0, 0x99), "unsupported version 0x99"},
        {"level 7", with(0, 0x04), "unsupported version 0x04"},
        {"header length below minimum", with(8, 10).replace(9, 1, 1, '\0'), "Corrupt table header"},
        {"header longer than file", with(9, 0xF0), "Table is truncated (header)"},
        {"zero record length", with(10, 0).replace(11, 1, 1, '\0'), "Corrupt table header"},
        {"record length below the fields", with(10, 5),
         "Corrupt table header (fields add up to 19 bytes per record, header says 5)"},
        {"record length above the fields", with(10, 20),
         "Corrupt table header (fields add up to 19 bytes per record, header says 20)"},
        {"a field longer than its share", with(32 + 16, 11),
         "Corrupt table header (fields add up to 20 bytes per record, header says 19)"},
        {"a field of no length", with(32 + 16, 0).replace(10, 1, 1, '\x09'),
         "Corrupt table header (field NOME has no length)"},
        {"header length one more", with(8, static_cast<unsigned char>(header + 1)),
         "Corrupt table header (header length does not match the field descriptors)"},
        {"header length one less", with(8, static_cast<unsigned char>(header - 1)),
         "Corrupt table header (no end mark after the field descriptors)"},
        {"header length one descriptor more", with(8, static_cast<unsigned char>(header + 32)),
         "Corrupt table header (header length does not match the field descriptors)"},
        {"no end mark", with(header - 1, ' '),
         "Corrupt table header (no end mark after the field descriptors)"},
        {"no fields", with(32, 0x0D), "no fields"},
        {"a record without a deletion flag", with(header + 19, '1'),
         "Corrupt table (record 2 starts with '1', not with a deletion flag)"},
        {"a record starting with a NUL", with(header + 2 * 19, 0),
         "Corrupt table (record 3 starts with '\\x00', not with a deletion flag)"},
        {"truncated records", good.substr(0, header + 2 * 19 + 5),
         "Table is truncated (header gives 5 records, file holds 2)"},
        {"record count overflow", with(7, 0xFF), "Table is truncated"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(dir / "t.dbf", c.bytes);
        const std::string message = messageOf(dir / "t.dbf");
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        EXPECT_NE(message.find("C:\\x\\T.DBF"), std::string::npos) << "names the table";
    }
}

TEST(DbfReader, HeaderVariantsOfOtherWritersAreRead)
{
    // Padding after the end mark, and a FoxPro backlink holding a database's path.
    DbfWriter w({{"NOME", 'C', 4}});
    w.addRecord({std::string("ANA")});
    const std::string good = w.bytes();
    const std::size_t header = w.headerLength();
    const auto withHeader = [&](unsigned char version, const std::string& after) {
        std::string b = good;
        b[0] = static_cast<char>(version);
        b.insert(header, after);
        const std::size_t length = header + after.size();
        b[8] = static_cast<char>(length & 0xFF);
        b[9] = static_cast<char>(length >> 8);
        return b;
    };
    std::string backlink = "..\\dados\\folha.dbc";
    backlink.resize(263, '\0');
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"as written here", good},
        {"one NUL after the end mark", withHeader(0x03, std::string(1, '\0'))},
        {"FoxPro backlink", withHeader(0x30, backlink)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(dir / "t.dbf", c.bytes);
        DbfReader r(dir / "t.dbf", "t");
        ASSERT_TRUE(r.next());
        EXPECT_EQ(r.text(0), "ANA");
        EXPECT_FALSE(r.next());
    }
}

TEST(DbfReader, MissingFileAndBadNumbers)
{
    TempDir dir;
    try {
        DbfReader r(dir / "nada.dbf", "C:\\dirf99\\ir_cru.dbf");
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_STREQ(e.what(), "Table does not exist: C:\\dirf99\\ir_cru.dbf");
    }

    // A number is blank, or an optional sign and digits with at most one decimal point, with
    // blanks around it. The bytes of anything else are shown readably.
    struct Case {
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"  12x.50", "Invalid number '12x.50'"},
        {"     +-5", "Invalid number '+-5'"},
        {std::string("  12\0"
                     "34",
                     7),
         "Invalid number '12\\x0034'"},
        {std::string(8, '\0'), "Invalid number '\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00'"},
        {"  1.5\xC7 ", "Invalid number '1.5\\xC7'"},
        {"1e3", "Invalid number '1e3'"},
        {"   1.2.3", "Invalid number '1.2.3'"},
        {"   - 5", "Invalid number '- 5'"},
        {"  5-", "Invalid number '5-'"},
        {"    -", "Invalid number '-'"},
        {"     .", "Invalid number '.'"},
        {"  1 000", "Invalid number '1 000'"},
        {"     inf", "Invalid number 'inf'"},
        {"********", "Overflowed or empty number (asterisks)"},
        {"  ***   ", "Overflowed or empty number (asterisks)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        DbfWriter w({{"VALOR", 'N', 8, 2}});
        w.addRecord({1.0});
        w.addRecord({1.0});
        std::string bytes = w.bytes();
        std::string text = c.text;
        text.resize(8, ' ');
        bytes.replace(w.headerLength() + w.recordLength() + 1, 8, text);
        testsupport::writeFile(dir / "n.dbf", bytes);
        DbfReader r(dir / "n.dbf", "C:\\n.dbf");
        ASSERT_TRUE(r.next());
        ASSERT_TRUE(r.next());
        const std::string expected =
            std::string(c.expected) + " in field VALOR of record 2: C:\\n.dbf";
        EXPECT_EQ(testsupport::errorOf([&] { (void)r.number(0); }), expected);
        EXPECT_EQ(testsupport::errorOf([&] { (void)r.numberText(0); }), expected);
    }
}

TEST(DbfReader, NumberForms)
{
    struct Case {
        const char* text;
        double value;
        const char* shown; // what numberText gives
    };
    const Case cases[] = {
        {"     .50", 0.5, ".50"},  {"   -1.25", -1.25, "-1.25"},
        {"  +3.00", 3.0, "+3.00"}, {"12345.67", 12345.67, "12345.67"},
        {"        ", 0.0, ""},     {"5.      ", 5.0, "5."},
        {"    -.5 ", -0.5, "-.5"}, {"00000012", 12.0, "00000012"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DbfWriter w({{"VALOR", 'N', 8, 2}});
        w.addRecord({0.0});
        std::string bytes = w.bytes();
        std::string text = c.text;
        text.resize(8, ' ');
        std::memcpy(&bytes[w.headerLength() + 1], text.data(), 8);
        TempDir dir;
        testsupport::writeFile(dir / "n.dbf", bytes);
        DbfReader r(dir / "n.dbf", "n");
        ASSERT_TRUE(r.next());
        EXPECT_DOUBLE_EQ(r.number(0), c.value);
        EXPECT_EQ(r.numberText(0), c.shown);
    }
}

TEST(DbfReader, RecordRangeSplitsATable)
{
    TempDir dir;
    smallTable().write(dir / "t.dbf");
    DbfReader r(dir / "t.dbf", "t");
    struct Case {
        std::uint32_t begin, end;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {0, 1, {"  ANA"}}, {1, 3, {"JOÃO"}}, {0, 99, {"  ANA", "JOÃO"}}, {2, 1, {}}};
    for (const Case& c : cases) {
        r.setRange(c.begin, c.end);
        std::vector<std::string> names;
        while (r.next())
            names.push_back(r.text(0));
        EXPECT_EQ(names, c.names) << c.begin << ".." << c.end;
    }
}
