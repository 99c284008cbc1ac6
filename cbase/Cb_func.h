#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "cbase/Cb_varmem.h"

// Text functions over CBase values. Texts are 8-bit characters compared byte for byte; positions
// are 1-based and 0 means "not found". Arguments are only read: the caller keeps ownership.
// A text argument goes through CBase::String, a number through CBase::Int, so a value of the wrong
// kind ends the process with that conversion's message.

// Position of the first occurrence of `search` (up to its first NUL) in `target`; 0 when there is
// none or either text is empty.
std::int32_t At(const CBase& search, const CBase& target);

// Up to `count` characters of `text` from position `start`; a start below 1 counts as 1, a start
// past the end or a negative count gives an empty text.
std::string Substr(const CBase& text, const CBase& start, const CBase& count);
// `text` from position `start` to its end.
std::string Substr(const CBase& text, const CBase& start);

// `text` with occurrences of `search` replaced by `replacement`, starting with occurrence number
// `first`, at most `count` replacements. After a replacement the next search starts again at the
// same position, so it sees the replacement just made; skipped occurrences may overlap the next.
// A count of 0 or less replaces nothing; a first of 1 or less starts with the first occurrence.
std::string Strtran(const CBase& text, const CBase& search, const CBase& replacement,
                    const CBase& first, const CBase& count);
// The same with first 1 and count 65535.
std::string Strtran(const CBase& text, const CBase& search, const CBase& replacement);

// Shows a fatal message. The default writes it and a newline to standard error; the program sets
// one that shows a message box.
using CBaseErrorHook = std::function<void(const std::string& message)>;
// Installs `hook` (an empty one restores the default) and returns the previous one.
CBaseErrorHook SetCBaseErrorHook(CBaseErrorHook hook);

// Shows `message` through the hook, then ends the process with exit code 1 through the normal
// exit, so exit handlers run and open files are flushed.
[[noreturn]] void CBaseError(std::string_view message) noexcept;
