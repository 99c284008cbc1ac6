#pragma once

// The machine's drive letters and the resolution of DOS-style paths ("C:\fp\FP_EMP.DBF").
//
// Drives are the entries "x:" of a dosdevices folder, each a link to (or a folder that is) the
// root of that drive: $WINEPREFIX/dosdevices when WINEPREFIX is set, else ~/.wine/dosdevices.
// When that folder does not exist the machine has one drive, Z:, whose root is "/". A program
// may put an explicit drive map in place of the folder.
// Path components are matched regardless of case, as on the systems that write payroll drives.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct Drive {
    char letter = 0; // upper case
    std::filesystem::path root;
};

// Letters (upper case) and the folders that are their roots.
using DriveMap = std::map<char, std::filesystem::path>;

// Replaces the dosdevices folder by an explicit map for the whole process; none restores the
// folder. Returns the map in force before.
std::optional<DriveMap> setDriveMap(std::optional<DriveMap> map);

// The drives in letter order. Read afresh at every call, so a changed WINEPREFIX is seen.
std::vector<Drive> drives();
std::optional<Drive> findDrive(char letter);

// The drive whose root holds the current directory (the deepest such root), else the first
// drive. Returned as a drive number: 0 for A, 1 for B and so on.
int currentDriveNumber();

enum class PathStatus {
    Ok,
    BadPath,     // not of the form "X:\..." or with a "." / ".." component
    NoDrive,     // the letter is not a drive of this machine
    NoDirectory, // a directory on the way does not exist
    NoFile,      // the last component does not exist
};

struct ResolvedPath {
    PathStatus status = PathStatus::BadPath;
    std::filesystem::path path; // the file on disk; for NoFile, where a new file would go
};

// Resolves every component of dosPath against the disk, ignoring case. When several entries
// of one folder differ only in case, the one spelled exactly wins, else the first in byte order.
ResolvedPath resolvePath(std::string_view dosPath);

// True when the two names are equal regardless of case (ASCII and Latin-1 letters).
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

// "C:\fp" from "C:\fp\FP_EMP.DBF"; the path itself when it has no folder part.
std::string dosParentPath(std::string_view dosPath);

} // namespace platform
