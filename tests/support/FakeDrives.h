#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

// A machine's drives for one test: a WINEPREFIX of its own whose dosdevices folder maps
// letters to folders under a temporary directory. Restores the environment and the current
// directory on destruction.
class FakeDrives {
public:
    FakeDrives();
    ~FakeDrives();
    FakeDrives(const FakeDrives&) = delete;
    FakeDrives& operator=(const FakeDrives&) = delete;

    // Maps letter (as "x:", a link) to a new folder; returns the folder.
    std::filesystem::path addDrive(char letter);
    // Maps letter to an existing folder.
    void mapDrive(char letter, const std::filesystem::path& root);
    std::filesystem::path root(char letter) const;
    const std::filesystem::path& base() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::optional<std::string> m_oldPrefix;
    std::filesystem::path m_oldCwd;
};

} // namespace testsupport
