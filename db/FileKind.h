#pragma once

#include <sys/types.h>

namespace db {

// What a file of this mode is, for messages: "a directory", "a named pipe", ...
const char* fileKind(mode_t mode) noexcept;

// Whether an errno from creating or removing a file says the folder does not let this user
// write there (permissions or a read-only file system).
bool cannotWriteThere(int error) noexcept;

} // namespace db
