#pragma once

#include <QString>

#include <functional>

namespace platform {

// Asks the desktop to open an address with its "open" verb (the web browser for a web
// address). The result is not reported.
void shellOpen(const QString& address);

using ShellHandler = std::function<void(const QString&)>;
ShellHandler setShellHandler(ShellHandler handler);

} // namespace platform
