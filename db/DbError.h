#pragma once

#include <stdexcept>
#include <string>

namespace db {

// An error of the database engine. The message is the engine's own, in English, ready to be
// shown to the user as it stands.
class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace db
