#pragma once

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

// Rebuilds the work table of yearly totals on the drive: drops it (ignoring any failure),
// creates it, totals the raw table into it per company, employee and stored code, floors
// negative totals at zero and closes both tables. Errors of the engine pass unchanged; a
// total that leaves the currency's range stops the pass with a message naming its key. A pass
// that fails after creating the table leaves it empty.
// A raw table of splitRecords records or more is read by two threads.
inline constexpr std::uint32_t kSplitRecords = 50000;
void MontaTabelaIR(char drive, db::Query& SQL, db::Table& IR, db::Table& DIRF,
                   std::uint32_t splitRecords = kSplitRecords);

} // namespace prep
