#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

namespace prep {

// Another run is using the drive's work table; the message is ready for the clerk.
class WorkTableBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Keeps a drive's work table to one run at a time. Payroll drives are shared, so two clerks
// may start the job at once; one would drop the table that the other is filling or reading.
//
// A run holds the lock from before the work table is dropped until the report has read it,
// that is, until the report's query is closed. The lock is an advisory lock on the file
// "dirf99\IR.LCK" beside the work table, taken on an open file description, so the system
// releases it when the holder closes it or dies, however it dies. The file itself stays.
//
// A lock that another process holds is waited for a short while; then WorkTableBusy. Within
// one process a second lock on the same drive shares the first, so MontaTabelaIR, which takes
// the lock itself, runs inside a caller's hold without waiting for it.
//
// Where the drive has no folder "dirf99", or one that this process cannot write in, nothing is
// held (held() is false): such a run cannot drop or write the work table either, and the pass
// says why. The same holds on file systems that do not lock.
class WorkTableLock {
public:
    static constexpr std::chrono::milliseconds kWait{5000};

    explicit WorkTableLock(char drive, std::chrono::milliseconds wait = kWait);
    ~WorkTableLock();
    WorkTableLock(const WorkTableLock&) = delete;
    WorkTableLock& operator=(const WorkTableLock&) = delete;

    bool held() const noexcept { return m_hold != nullptr; }

    struct Hold;

private:
    std::shared_ptr<Hold> m_hold;
};

} // namespace prep
