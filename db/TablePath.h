#pragma once

#include <filesystem>
#include <string>

namespace db {

// The file of an existing table named by a DOS-style path ("C:\fp\FP_EMP.DBF"), found on the
// drive regardless of case. Throws DbError naming the path when it is not there, or is not a
// regular file.
std::filesystem::path existingTableFile(const std::string& dosPath);

// Where a new table named by dosPath goes: its directory must exist, the table must not.
std::filesystem::path newTableFile(const std::string& dosPath);

// True when the DOS path names a file with the extension (".DBF", ".DB"), ignoring case.
bool hasExtension(const std::string& dosPath, const char* extension);

} // namespace db
