// libFuzzer target: the dBase reader must turn any file into records or a DbError, never a
// crash, a hang or an out-of-bounds read.
#include "db/DbError.h"
#include "db/DbfReader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

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
                } catch (const db::DbError&) {
                }
            }
        }
    } catch (const db::DbError&) {
    }
    return 0;
}
