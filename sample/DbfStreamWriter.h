#pragma once

#include "sample/DbfWriter.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace sample {

// Writes a dBase III table record by record straight to its file, for tables too large to
// hold in memory. Encodes exactly as DbfWriter does; the record count in the header is filled
// in by finish(). A writer destroyed before finish() removes its incomplete file.
class DbfStreamWriter {
public:
    DbfStreamWriter(const std::filesystem::path& file, std::vector<DbfColumn> columns,
                    db::CodePage codePage = db::CodePage::CP850, std::uint8_t version = 0x03);
    ~DbfStreamWriter();
    DbfStreamWriter(const DbfStreamWriter&) = delete;
    DbfStreamWriter& operator=(const DbfStreamWriter&) = delete;

    void addRecord(const std::vector<DbfValue>& values, bool deleted = false);
    void finish();

    std::uint64_t recordCount() const noexcept { return m_count; }

private:
    void check() const;

    DbfWriter m_format;
    std::filesystem::path m_file;
    std::ofstream m_out;
    std::uint64_t m_count = 0;
    bool m_finished = false;
};

} // namespace sample
