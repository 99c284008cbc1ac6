#include "sample/DbfWriter.h"

#include "db/DbfReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

using sample::DbfColumn;
using sample::DbfValue;
using sample::DbfWriter;

TEST(DbfWriter, RefusesColumnsTheFormatCannotHold)
{
    const std::vector<DbfColumn> bad[] = {
        {},
        {{"", 'C', 2}},
        {{"NAME_OF_11C", 'C', 2}},
        {{"EP CODIGO", 'C', 2}},
        {{"A", 'C', 0}},
        {{"A", 'C', 256}},
        {{"A", 'C', 10, 2}},
        {{"A", 'N', 5, 4}},
        {{"A", 'N', 12, 16}},
        {{"A", 'D', 6}},
        {{"A", 'L', 2}},
    };
    for (const auto& columns : bad)
        EXPECT_THROW(DbfWriter{columns}, std::invalid_argument)
            << (columns.empty() ? "no columns" : columns[0].name);
    EXPECT_NO_THROW(DbfWriter({{"A", 'N', 4, 2}, {"D", 'D', 8}, {"L", 'L', 1}, {"M", 'M', 10}}));
}

TEST(DbfWriter, RefusesValuesThatDoNotFit)
{
    DbfWriter w({{"TEXTO", 'C', 4}, {"VALOR", 'N', 6, 2}});
    const std::vector<DbfValue> bad[] = {
        {std::string("ABCDE"), {}}, // too long
        {std::string("\x80"), {}},  // stray continuation byte
        {std::string("\xC3"), {}},  // cut sequence
        {std::string("\xC3"
                     "A"),
         {}},                   // no continuation
        {std::string("€"), {}}, // not in code page 850
        {{}, 1000.0},           // 1000.00 is 7 wide
        {{}, std::nan("")},
        {{}, std::numeric_limits<double>::infinity()},
        {{}, std::string("12")}, // text for a number
        {1.0, {}},               // number for text
        {std::string("A")},      // one value short
    };
    for (const auto& values : bad)
        EXPECT_THROW(w.addRecord(values), std::invalid_argument);

    w.addRecord({std::string("ÇÃO"), 999.99});
    const std::string bytes = w.bytes();
    EXPECT_EQ(bytes.size(), w.headerLength() + w.recordLength() + 1);
    EXPECT_EQ(bytes[4], 1) << "only the good record counts";
    EXPECT_EQ(bytes.substr(w.headerLength(), w.recordLength()), " \x80\xC7"
                                                                "O 999.99");
}

TEST(DbfWriter, ReadsBackThroughTheReader)
{
    testsupport::TempDir dir;
    DbfWriter w({{"NOME", 'C', 12}, {"VALOR", 'N', 12, 2}, {"DATA", 'D', 8}}, db::CodePage::CP1252);
    w.addRecord({std::string("JOÃO"), 1234.5, std::string("19990131")});
    w.addRecord({std::string("APAGADO"), 1.0, {}}, true);
    w.addRecord({{}, {}, {}});
    w.write(dir / "t.dbf");

    db::DbfReader r(dir / "t.dbf", "t.dbf");
    EXPECT_EQ(r.recordCount(), 3u);
    EXPECT_EQ(r.codePage(), db::CodePage::CP1252);
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.text(0), "JOÃO");
    EXPECT_EQ(r.number(1), 1234.5);
    EXPECT_EQ(r.date(2), "19990131");
    ASSERT_TRUE(r.next());
    EXPECT_EQ(r.recordNumber(), 3u);
    EXPECT_EQ(r.text(0), "");
    EXPECT_EQ(r.number(1), 0.0);
    EXPECT_FALSE(r.next());
}

} // namespace
