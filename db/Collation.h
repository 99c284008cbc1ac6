#pragma once

#include <string_view>

namespace db {

// Orders UTF-8 texts as Portuguese dictionaries do: letters first by their base letter
// regardless of accent and case ("ÁLVARO" beside "ALVARO"), then by accent, then lower case
// before upper case, and at last byte by byte, so that only identical texts compare equal.
int comparePortuguese(std::string_view a, std::string_view b) noexcept;

// Name under which the collation is registered with the SQL engine.
inline constexpr const char* kPortugueseCollation = "PORTUGUESE";

} // namespace db
