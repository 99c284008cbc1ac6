#pragma once

#include "prep/WorkTableLock.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace db {
class Query;
class Table;
} // namespace db

namespace prep {

// The stored code of a payroll income code, and whether its amounts are subtracted: "91" is
// kept under "61" and deducted from it, "40" is stored as "49" and "49" as "4X".
struct StoredCode {
    std::string code;
    bool subtract = false;
};
StoredCode storedCode(const std::string& payrollCode);

// Declares the persistent fields of the raw table (DIRF) and the work table (IR).
void defineRawTableFields(db::Table& DIRF);
void defineWorkTableFields(db::Table& IR);

// Rebuilds the work table of yearly totals on the drive: drops it, creates it, totals the raw
// table into it per company, employee and stored code, floors negative totals at zero and
// closes both tables. Errors of the engine pass unchanged; a total that leaves the currency's
// range stops the pass with a message naming its key. A pass that fails after creating the
// table leaves it empty: every record is read before any is written.
//
// A missing old table is no error; one that cannot be dropped stops the pass with the reason.
// The pass holds the drive's WorkTableLock (waiting up to lockWait for another run, then
// WorkTableBusy); a caller that holds it already keeps it, as it must until the report's
// query has read the table.
// A raw table of splitRecords records or more is read by two threads.
inline constexpr std::uint32_t kSplitRecords = 50000;
void MontaTabelaIR(char drive, db::Query& SQL, db::Table& IR, db::Table& DIRF,
                   std::uint32_t splitRecords = kSplitRecords,
                   std::chrono::milliseconds lockWait = WorkTableLock::kWait);

} // namespace prep
