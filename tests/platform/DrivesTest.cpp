#include "platform/Drives.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using platform::PathStatus;

TEST(Drives, LettersFromDosdevicesUpperCaseInOrder)
{
    testsupport::FakeDrives fake;
    fake.addDrive('d');
    fake.addDrive('C');
    fs::create_directories(fake.base() / "prefix/dosdevices/com1"); // not a drive
    fs::create_directory_symlink(fake.base() / "gone", fake.base() / "prefix/dosdevices/e:");
    const auto all = platform::drives();
    ASSERT_EQ(all.size(), 2u) << "devices and dangling links are not drives";
    EXPECT_EQ(all[0].letter, 'C');
    EXPECT_EQ(all[1].letter, 'D');
    EXPECT_EQ(all[0].root, fs::canonical(fake.root('c')));
    EXPECT_TRUE(platform::findDrive('d').has_value());
    EXPECT_FALSE(platform::findDrive('E').has_value());
}

TEST(Drives, WithoutDosdevicesThereIsOneDriveZ)
{
    testsupport::FakeDrives fake;
    fs::remove_all(fake.base() / "prefix/dosdevices");
    const auto all = platform::drives();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].letter, 'Z');
    EXPECT_EQ(all[0].root, fs::path("/"));
    EXPECT_EQ(platform::currentDriveNumber(), 'Z' - 'A');
}

TEST(Drives, CurrentDriveIsTheDeepestRootHoldingTheCurrentDirectory)
{
    testsupport::FakeDrives fake;
    fake.mapDrive('Z', "/");
    const fs::path c = fake.addDrive('C');
    const fs::path f = fake.addDrive('F');
    fs::create_directories(f / "fp");

    fs::current_path(f / "fp");
    EXPECT_EQ(platform::currentDriveNumber(), 'F' - 'A');
    fs::current_path(c);
    EXPECT_EQ(platform::currentDriveNumber(), 'C' - 'A');
    fs::current_path(fake.base());
    EXPECT_EQ(platform::currentDriveNumber(), 'Z' - 'A');
    fake.mapDrive('Z', fake.base() / "elsewhere-missing");
    EXPECT_EQ(platform::currentDriveNumber(), 'C' - 'A') << "no root holds it: the first drive";
}

TEST(Drives, ResolvesPathsRegardlessOfCase)
{
    testsupport::FakeDrives fake;
    const fs::path c = fake.addDrive('C');
    fs::create_directories(c / "DIRF99");
    fs::create_directories(c / "Fp");
    testsupport::writeFile(c / "DIRF99" / "ir_cru.dbf", "x");
    testsupport::writeFile(c / "Fp" / "TELA.FP", "x");
    fs::create_directories(c / "Fp" / "DIR.FP");

    struct Case {
        const char* path;
        PathStatus status;
        fs::path expected;
    };
    const Case cases[] = {
        {"C:\\dirf99\\IR_CRU.DBF", PathStatus::Ok, c / "DIRF99" / "ir_cru.dbf"},
        {"c:\\FP\\tela.fp", PathStatus::Ok, c / "Fp" / "TELA.FP"},
        {"C:/fp/TELA.FP", PathStatus::Ok, c / "Fp" / "TELA.FP"},
        {"C:\\dirf99\\IR.DB", PathStatus::NoFile, c / "DIRF99" / "IR.DB"},
        {"C:\\nada\\IR.DB", PathStatus::NoDirectory, c / "nada"},
        {"C:\\fp\\TELA.FP\\x", PathStatus::NoDirectory, c / "Fp" / "TELA.FP"},
        {"Q:\\fp\\TELA.FP", PathStatus::NoDrive, {}},
        {"C:\\fp\\..\\..\\etc", PathStatus::BadPath, {}},
        {"fp\\TELA.FP", PathStatus::BadPath, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        const auto r = platform::resolvePath(k.path);
        EXPECT_EQ(r.status, k.status);
        if (!k.expected.empty()) {
            EXPECT_EQ(r.path, fs::weakly_canonical(c) / k.expected.lexically_relative(c));
        }
    }
}

TEST(Drives, ExactSpellingWinsAmongNamesDifferingInCase)
{
    testsupport::FakeDrives fake;
    const fs::path c = fake.addDrive('C');
    fs::create_directories(c / "fp");
    fs::create_directories(c / "FP");
    fs::create_directories(c / "Fp");
    EXPECT_EQ(platform::resolvePath("C:\\Fp").path.filename(), "Fp");
    EXPECT_EQ(platform::resolvePath("C:\\fP").path.filename(), "FP")
        << "else the first in byte order";
}

TEST(Drives, NameComparison)
{
    EXPECT_TRUE(platform::sameNameIgnoringCase("ir_cru.dbf", "IR_CRU.DBF"));
    EXPECT_TRUE(platform::sameNameIgnoringCase("ação", "AÇÃO"));
    EXPECT_FALSE(platform::sameNameIgnoringCase("acao", "AÇÃO"));
    EXPECT_FALSE(platform::sameNameIgnoringCase("ir", "ir_"));
    EXPECT_EQ(platform::dosParentPath("C:\\dirf99\\IR.DB"), "C:\\dirf99");
}
