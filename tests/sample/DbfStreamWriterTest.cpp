#include "sample/DbfStreamWriter.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using sample::DbfColumn;
using sample::DbfValue;

const std::vector<DbfColumn> kColumns = {{"CODIGO", 'C', 5}, {"VALOR", 'N', 12, 2}};

TEST(DbfStreamWriter, WritesTheSameBytesAsTheWriterInMemory)
{
    testsupport::TempDir dir;
    for (int count : {0, 1, 300}) {
        sample::DbfWriter memory(kColumns);
        sample::DbfStreamWriter stream(dir / "t.dbf", kColumns);
        for (int i = 0; i < count; ++i) {
            const std::vector<DbfValue> values = {std::to_string(i), i * 1.25};
            memory.addRecord(values, i % 7 == 0);
            stream.addRecord(values, i % 7 == 0);
        }
        stream.finish();
        EXPECT_EQ(stream.recordCount(), static_cast<std::uint64_t>(count));
        EXPECT_EQ(testsupport::readFile(dir / "t.dbf"), memory.bytes()) << count << " records";
    }
}

TEST(DbfStreamWriter, UnfinishedTableIsRemoved)
{
    testsupport::TempDir dir;
    {
        sample::DbfStreamWriter stream(dir / "t.dbf", kColumns);
        stream.addRecord({std::string("1"), 1.0});
        EXPECT_THROW(stream.addRecord({std::string("TOO LONG"), 1.0}), std::invalid_argument);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "t.dbf"));
}

TEST(DbfStreamWriter, UnwritableFileIsAnError)
{
    testsupport::TempDir dir;
    EXPECT_THROW(sample::DbfStreamWriter(dir / "missing" / "t.dbf", kColumns), std::runtime_error);
}

} // namespace
