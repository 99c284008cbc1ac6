#pragma once

// The database engine's installation library, delivered with the installer before any file is
// installed and loaded by it at run time.

extern "C" {

// Merges the shipped configuration into the configuration in use: sections and settings the
// configuration in use lacks are added, and what it has stays as it is. Without a
// configuration in use, the shipped one becomes it. The file is replaced only when the merge
// is complete. Returns 0 on success; otherwise a message (at most size bytes, with its NUL)
// says why, and nothing was changed.
int radazizEngineMergeConfig(const char* shipped, const char* config, char* message,
                             unsigned long size);
}
