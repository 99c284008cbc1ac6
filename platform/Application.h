#pragma once

#include <QString>

namespace platform {

// Caption of the program's message boxes and its task-bar text.
QString applicationTitle();

// Formats an error the way the program's default error display shows it: a full stop is
// added when the message is not empty and its last character sorts after ".".
QString exceptionDisplayText(const QString& message);

// The default error display: a message box captioned with the title, stop icon, OK.
void showException(const QString& message);

} // namespace platform
