// libFuzzer target: the dBase reader must turn any file into records or a DbError, never a
// crash, a hang or an out-of-bounds read. Its messages must be valid UTF-8 whatever bytes the
// file holds, since they are shown as they stand.
#include "db/DbError.h"
#include "db/DbfReader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80                ? 1
                              : b >= 0xC2 && b < 0xE0 ? 2
                              : b >= 0xE0 && b < 0xF0 ? 3
                              : b >= 0xF0 && b < 0xF5 ? 4
                                                      : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

void check(const db::DbError& e)
{
    if (!validUtf8(e.what()))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int fd = memfd_create("dbf", 0);
    if (fd < 0)
        return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    try {
        db::DbfReader reader(path, "fuzz.dbf");
        int rows = 0;
        while (reader.next() && rows++ < 10000) {
            for (std::size_t i = 0; i < reader.fields().size(); ++i) {
                const int f = static_cast<int>(i);
                (void)reader.text(f);
                (void)reader.logical(f);
                try {
                    (void)reader.number(f);
                } catch (const db::DbError& e) {
                    check(e);
                }
            }
        }
    } catch (const db::DbError& e) {
        check(e);
    }
    return 0;
}
