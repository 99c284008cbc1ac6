#pragma once

// What a window's close handler decides: stay open, hide, or be destroyed.
enum class TCloseAction { caNone, caHide, caFree };
