#pragma once

namespace platform {

// The application-wide screen cursor: one value, not a stack. Setting Default removes any
// override; the values are those the program's design uses.
enum class ScreenCursor { Default = 0, HandPoint = -21, SqlWait = -17 };

void setScreenCursor(ScreenCursor cursor);
ScreenCursor screenCursor();

} // namespace platform
