#include "db/FileKind.h"

#include <cerrno>
#include <sys/stat.h>

namespace db {

const char* fileKind(mode_t mode) noexcept
{
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return "not a regular file";
}

bool cannotWriteThere(int error) noexcept
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace db
