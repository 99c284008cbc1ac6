#pragma once

#include "db/CodePages.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace sample {

struct DbfColumn {
    std::string name;
    char type = 'C'; // C, N, F, D, L, M
    int length = 1;
    int decimals = 0;
};

// Empty, text (UTF-8; for D fields "YYYYMMDD"), number, logical.
using DbfValue = std::variant<std::monostate, std::string, double, bool>;

// Writes dBase III tables, for the sample payroll drive and for test fixtures. The payroll
// system's own files are never written by the program; this is for making drives to read.
class DbfWriter {
public:
    explicit DbfWriter(std::vector<DbfColumn> columns, db::CodePage codePage = db::CodePage::CP850,
                       std::uint8_t version = 0x03);

    // One value per column; a value that does not fit its column is an error.
    void addRecord(const std::vector<DbfValue>& values, bool deleted = false);

    std::string bytes() const;
    void write(const std::filesystem::path& file) const;

    std::size_t recordLength() const noexcept;
    std::size_t headerLength() const noexcept;
    const std::vector<DbfColumn>& columns() const noexcept { return m_columns; }

    // The pieces of a table, for writers that stream their records to a file.
    std::string header(std::uint64_t recordCount) const;
    std::string encodeRecord(const std::vector<DbfValue>& values, bool deleted) const;

private:
    std::vector<DbfColumn> m_columns;
    db::CodePage m_codePage;
    std::uint8_t m_version;
    std::vector<std::string> m_records;
};

} // namespace sample
