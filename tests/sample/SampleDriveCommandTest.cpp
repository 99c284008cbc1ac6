#include "sample/SampleDriveCommand.h"

#include "db/DbfReader.h"
#include "sample/DriveBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = sample::runSampleDriveCommand(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(SampleDriveCommand, BadArgumentsShowTheUsage)
{
    const std::vector<std::string> cases[] = {
        {},
        {"a", "b"},
        {"--bogus"},
        {""},
        {"--generated"},
        {"--generated", "10", "DIR"},
        {"--generated", "10", "5", "DIR", "extra"},
        {"--generated", "0", "5", "DIR"},
        {"--generated", "10", "-5", "DIR"},
        {"--generated", "ten", "5", "DIR"},
        {"--generated", "10x", "5", "DIR"},
        {"--generated", "99999999999", "5", "DIR"},
        {"--generated", "400000", "5", "DIR"}, // more than 99999 per company
    };
    for (const auto& args : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: radaziz-sample-drive DIR"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--generated EMPLOYEES RECORDS_PER_EMPLOYEE DIR"), std::string::npos);
}

TEST(SampleDriveCommand, WritesTheDrive)
{
    testsupport::TempDir dir;
    const fs::path sampleRoot = dir / "a/b";
    EXPECT_EQ(run({sampleRoot.string()}).status, 0);
    EXPECT_TRUE(fs::is_regular_file(sample::drivePath(sampleRoot, sample::DriveFile::Marker)));
    EXPECT_EQ(run({sampleRoot.string()}).status, 0) << "existing files are replaced";

    const fs::path generated = dir / "gen";
    const Outcome r = run({"--generated", "6", "3", generated.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    const fs::path raw = sample::drivePath(generated, sample::DriveFile::RawTable);
    EXPECT_EQ(db::DbfReader(raw, "raw").recordCount(), 18u);
}

TEST(SampleDriveCommand, UnwritableFolderFails)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "file", "x");
    const Outcome r = run({(dir / "file").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("radaziz-sample-drive: "), std::string::npos);
}

} // namespace
