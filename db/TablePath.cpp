#include "db/TablePath.h"

#include "db/DbError.h"
#include "db/FileKind.h"
#include "platform/Drives.h"

#include <cctype>
#include <sys/stat.h>

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
    case platform::PathStatus::Ok: {
        // Never handed on to be opened when it is not a regular file: opening a named pipe
        // waits for a writer that never comes.
        struct stat st {};
        if (::stat(r.path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            if (S_ISDIR(st.st_mode))
                throw DbError("Table does not exist (a directory has its name): " + dosPath);
            throw DbError(std::string("Not a table file (") + fileKind(st.st_mode) +
                          "): " + dosPath);
        }
        return r.path;
    }
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
