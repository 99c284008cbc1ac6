#include "prep/WorkTableLock.h"

#include "db/FileKind.h"
#include "platform/Drives.h"
#include "prep/TableDefs.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace prep {

struct WorkTableLock::Hold {
    explicit Hold(int fd) noexcept
        : fd(fd)
    {
    }
    ~Hold() { ::close(fd); } // closing the last descriptor of the description releases it
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    int fd;
};

namespace {

constexpr const char* kLockPath = ":\\dirf99\\IR.LCK";
constexpr std::chrono::milliseconds kPoll{50};

// The holds of this process, by lock file.
std::mutex& holdsMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::pair<dev_t, ino_t>, std::weak_ptr<WorkTableLock::Hold>>& holds()
{
    static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<WorkTableLock::Hold>> map;
    return map;
}

[[noreturn]] void cannotUse(const std::string& dosPath, const std::string& why)
{
    throw std::runtime_error("Não foi possível usar o arquivo de bloqueio " + dosPath + " (" + why +
                             ")");
}

// The lock file, opened for writing (a write lock needs it); -1 where there is no place for
// it; `st` tells what was opened. Never follows a link, never opens anything but a regular
// file, never waits on open.
int openLockFile(const std::string& dosPath, struct stat& st)
{
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const platform::ResolvedPath r = platform::resolvePath(dosPath);
        if (r.status != platform::PathStatus::Ok && r.status != platform::PathStatus::NoFile)
            return -1;
        int fd = -1;
        if (r.status == platform::PathStatus::NoFile) {
            fd = ::open(r.path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
            if (fd < 0 && errno == EEXIST)
                continue; // another run made it meanwhile
            if (fd < 0 && (db::cannotWriteThere(errno) || errno == ENOENT))
                return -1;
            // Runs of other users lock it too.
            if (fd >= 0)
                (void)::fchmod(fd, 0666);
        } else {
            if (::lstat(r.path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
                cannotUse(dosPath, "não é um arquivo comum");
            fd = ::open(r.path.c_str(), kFlags);
            // A read-only file system: nothing there can be written by anyone on this mount.
            if (fd < 0 && errno == EROFS)
                return -1;
        }
        // Not for this user to open: a run could not keep others off, so it does not start.
        if (fd < 0)
            cannotUse(dosPath, std::strerror(errno));
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            cannotUse(dosPath, "não é um arquivo comum");
        }
        return fd;
    }
    cannotUse(dosPath, std::strerror(EEXIST));
}

} // namespace

WorkTableLock::WorkTableLock(char drive, std::chrono::milliseconds wait)
{
    const std::string dosPath = payrollPath(drive, kLockPath);
    struct stat st {};
    const int fd = openLockFile(dosPath, st);
    if (fd < 0)
        return;
    auto hold = std::make_shared<Hold>(fd);
    const std::pair<dev_t, ino_t> key{st.st_dev, st.st_ino};

    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        {
            std::lock_guard guard(holdsMutex());
            if (std::shared_ptr<Hold> mine = holds()[key].lock()) {
                m_hold = std::move(mine);
                return;
            }
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET; // the whole file
            int rc;
            do
                rc = ::fcntl(fd, F_OFD_SETLK, &lock);
            while (rc != 0 && errno == EINTR);
            if (rc == 0) {
                std::erase_if(holds(), [](const auto& entry) { return entry.second.expired(); });
                holds()[key] = hold;
                m_hold = std::move(hold);
                return;
            }
            if (errno != EAGAIN && errno != EACCES)
                return; // a file system without locks: nothing to hold
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            throw WorkTableBusy("Outra execução está usando a tabela de trabalho " +
                                payrollPath(drive, kWorkTablePath) +
                                ". Tente de novo quando ela terminar.");
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPoll, deadline - now));
    }
}

WorkTableLock::~WorkTableLock()
{
    std::lock_guard guard(holdsMutex());
    m_hold.reset();
}

} // namespace prep
