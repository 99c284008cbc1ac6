#pragma once

#include <QLocale>

namespace platform {

// The regional settings used for numbers and dates: the system's locale, or Brazilian
// Portuguese when the system has none (the C or POSIX locale), since every user and every
// text of the program is Brazilian.
QLocale regionalLocale();

} // namespace platform
