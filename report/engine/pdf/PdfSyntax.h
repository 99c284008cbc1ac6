#pragma once

#include <charconv>
#include <cmath>
#include <string>

// Numbers as PDF syntax writes them, appended to what is being written.
namespace report::pdf {

inline void appendInt(std::string& s, long long v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// A number with up to `decimals` decimals, trailing zeros dropped.
inline void appendReal(std::string& s, double v, int decimals = 1)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    long long n = std::llround(v * double(scale));
    if (n < 0) {
        s += '-';
        n = -n;
    }
    appendInt(s, n / scale);
    long long frac = n % scale;
    if (frac == 0)
        return;
    int digits = decimals;
    while (frac % 10 == 0) {
        frac /= 10;
        --digits;
    }
    s += '.';
    std::string f = std::to_string(frac);
    s.append(std::size_t(digits) - f.size(), '0');
    s += f;
}

inline void appendHex2(std::string& s, unsigned v)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    s += hex[(v >> 4) & 15];
    s += hex[v & 15];
}

inline void appendHex4(std::string& s, unsigned v)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    s += hex[(v >> 12) & 15];
    s += hex[(v >> 8) & 15];
    s += hex[(v >> 4) & 15];
    s += hex[v & 15];
}

} // namespace report::pdf
