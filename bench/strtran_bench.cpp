// Timings of Strtran on the texts that would be quadratic if every replacement rebuilt the text.
#include "cbase/Cb_func.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

template <class F> void timeIt(const char* what, F&& run)
{
    const auto start = std::chrono::steady_clock::now();
    const std::size_t size = run();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%-44s %10zu bytes %9.2f ms\n", what, size, took.count());
}

} // namespace

int main()
{
    timeIt("a / a -> aa (65535 replacements)",
           [] { return Strtran(CBase("a"), CBase("a"), CBase("aa")).size(); });

    std::string query;
    for (int i = 0; i < 131072; ++i)
        query += "J:\\fp\\x ";
    timeIt("1 MB, 131072 x J:\\ -> longer prefix", [&] {
        return Strtran(CBase(query), CBase("J:\\"), CBase("\\\\server\\payroll\\"), CBase(1),
                       CBase(2147483647))
            .size();
    });

    const std::string cascade = std::string(1 << 19, 'a') + std::string(1 << 19, 'b');
    timeIt("1 MB, ab -> \"\" cascading back", [&] {
        return Strtran(CBase(cascade), CBase("ab"), CBase(""), CBase(1), CBase(2147483647)).size();
    });
    return 0;
}
