#pragma once

// A drive C: of the benchmark's own, in a temporary folder removed at the end.
#include "sample/SampleDrive.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

class BenchDrive {
public:
    BenchDrive()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "radaziz-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_base = pattern;
        std::filesystem::create_directories(m_base / "prefix/dosdevices");
        std::filesystem::create_directory_symlink(root(), m_base / "prefix/dosdevices/c:");
        setenv("WINEPREFIX", (m_base / "prefix").c_str(), 1);
    }
    ~BenchDrive()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_base, ec);
    }
    BenchDrive(const BenchDrive&) = delete;
    BenchDrive& operator=(const BenchDrive&) = delete;

    std::filesystem::path root() const { return m_base / "drive"; }
    std::filesystem::path base() const { return m_base; }

    // Writes a generated payroll drive as the benchmark's drive.
    void generate(const sample::GeneratedDriveOptions& options) const
    {
        std::printf("Generating %d employees × %d raw records...\n", options.employees,
                    options.recordsPerEmployee);
        std::fflush(stdout);
        sample::writeGeneratedDrive(root(), options);
    }

private:
    std::filesystem::path m_base;
};

inline double ms(long long ns)
{
    return double(ns) / 1e6;
}

// Employees and raw records per employee from argv[first] and argv[first + 1], when given.
inline sample::GeneratedDriveOptions driveOptions(int argc, char** argv, int first,
                                                  int recordsPerEmployee)
{
    sample::GeneratedDriveOptions options;
    options.recordsPerEmployee = recordsPerEmployee;
    if (argc > first)
        options.employees = std::atoi(argv[first]);
    if (argc > first + 1)
        options.recordsPerEmployee = std::atoi(argv[first + 1]);
    return options;
}
