#pragma once

// A drive C: of the benchmark's own, in a temporary folder removed at the end.
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

private:
    std::filesystem::path m_base;
};
