#include "support/FakeDrives.h"

#include <cctype>
#include <cstdlib>

namespace fs = std::filesystem;

namespace testsupport {

FakeDrives::FakeDrives()
{
    if (const char* old = std::getenv("WINEPREFIX"))
        m_oldPrefix = old;
    m_oldCwd = fs::current_path();
    fs::create_directories(m_dir / "prefix/dosdevices");
    setenv("WINEPREFIX", (m_dir / "prefix").c_str(), 1);
}

FakeDrives::~FakeDrives()
{
    std::error_code ec;
    fs::current_path(m_oldCwd, ec);
    if (m_oldPrefix)
        setenv("WINEPREFIX", m_oldPrefix->c_str(), 1);
    else
        unsetenv("WINEPREFIX");
}

fs::path FakeDrives::addDrive(char letter)
{
    const fs::path folder =
        m_dir / (std::string("drive_") + static_cast<char>(std::tolower(letter)));
    fs::create_directories(folder);
    mapDrive(letter, folder);
    return folder;
}

void FakeDrives::mapDrive(char letter, const fs::path& root)
{
    const fs::path link = m_dir / "prefix/dosdevices" /
                          (std::string(1, static_cast<char>(std::tolower(letter))) + ":");
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_directory_symlink(root, link);
}

fs::path FakeDrives::root(char letter) const
{
    return m_dir / (std::string("drive_") + static_cast<char>(std::tolower(letter)));
}

} // namespace testsupport
