#include "db/TablePath.h"

#include "db/DbError.h"
#include "platform/Drives.h"

#include <cctype>

namespace db {
namespace {

std::string driveOf(const std::string& dosPath)
{
    return dosPath.substr(0, 2);
}

} // namespace

std::filesystem::path existingTableFile(const std::string& dosPath)
{
    const platform::ResolvedPath r = platform::resolvePath(dosPath);
    switch (r.status) {
    case platform::PathStatus::Ok:
        if (std::filesystem::is_directory(r.path))
            throw DbError("Table does not exist (a directory has its name): " + dosPath);
        return r.path;
    case platform::PathStatus::BadPath:
        throw DbError("Invalid table path: " + dosPath);
    case platform::PathStatus::NoDrive:
        throw DbError("Drive " + driveOf(dosPath) + " does not exist: " + dosPath);
    case platform::PathStatus::NoDirectory:
        throw DbError("Directory does not exist: " + platform::dosParentPath(dosPath));
    case platform::PathStatus::NoFile:
        break;
    }
    throw DbError("Table does not exist: " + dosPath);
}

std::filesystem::path newTableFile(const std::string& dosPath)
{
    const platform::ResolvedPath r = platform::resolvePath(dosPath);
    switch (r.status) {
    case platform::PathStatus::NoFile:
        return r.path;
    case platform::PathStatus::Ok:
        throw DbError("Table already exists: " + dosPath);
    case platform::PathStatus::BadPath:
        throw DbError("Invalid table path: " + dosPath);
    case platform::PathStatus::NoDrive:
        throw DbError("Drive " + driveOf(dosPath) + " does not exist: " + dosPath);
    case platform::PathStatus::NoDirectory:
        break;
    }
    throw DbError("Directory does not exist: " + platform::dosParentPath(dosPath));
}

bool hasExtension(const std::string& dosPath, const char* extension)
{
    const std::string ext(extension);
    if (dosPath.size() < ext.size())
        return false;
    const std::string tail = dosPath.substr(dosPath.size() - ext.size());
    for (std::size_t i = 0; i < ext.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(tail[i])) !=
            std::toupper(static_cast<unsigned char>(ext[i])))
            return false;
    }
    return true;
}

} // namespace db
