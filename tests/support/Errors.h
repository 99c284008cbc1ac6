#pragma once

#include <exception>
#include <functional>
#include <string>

namespace testsupport {

// The message of the exception that f throws; empty when it throws none.
inline std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

} // namespace testsupport
