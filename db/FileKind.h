#pragma once

#include <sys/types.h>

namespace db {

// What a file of this mode is, for messages: "a directory", "a named pipe", ...
const char* fileKind(mode_t mode) noexcept;

} // namespace db
