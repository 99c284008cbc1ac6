#pragma once

// Start-up of the installer's programs, before their QApplication exists.

// Qt's notices about the session (debug and info messages, the runtime folder, size hints that
// no window manager takes) are no concern of an installer's user: they are dropped.
void installQuietMessageHandler();

// Whether "--silent" is among the arguments. A silent run without a chosen platform runs
// offscreen, so that it needs no display.
bool prepareSilentStart(int argc, char** argv);
