#pragma once

#include "db/CodePages.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {

struct DbfField {
    std::string name;    // as stored, upper case by convention
    char type = 0;       // 'C', 'N', 'F', 'D', 'L', 'M', ...
    unsigned length = 0; // bytes in the record
    unsigned decimals = 0;
    unsigned offset = 0; // from the start of the record (the deletion flag is byte 0)
};

// Reads a dBase III/IV table in stored order, skipping records marked as deleted.
//
// The header is checked against the file before anything is read: a file shorter than its
// header says is reported as truncated, never read short, and a header whose lengths do not
// agree with its field descriptors is refused. A record that does not start with a deletion
// flag is an error, as is a number field that does not hold a number: a table read through a
// wrong length would otherwise give wrong values without a word. Every error is a DbError
// whose message names the table as the caller spells it.
class DbfReader {
public:
    DbfReader(const std::filesystem::path& file, std::string displayName);
    ~DbfReader();
    DbfReader(const DbfReader&) = delete;
    DbfReader& operator=(const DbfReader&) = delete;

    // Parses a header held in memory (the first bytes of a file of fileSize bytes).
    // Exposed for the fuzzer and for tests; the constructor uses it.
    static void parseHeader(std::string_view bytes, std::uint64_t fileSize,
                            const std::string& displayName, DbfReader& into);

    const std::vector<DbfField>& fields() const noexcept { return m_fields; }
    int fieldIndex(std::string_view name) const noexcept; // -1 when absent; ignores case
    std::uint32_t recordCount() const noexcept { return m_recordCount; } // deleted included
    std::uint8_t languageDriver() const noexcept { return m_languageDriver; }
    CodePage codePage() const noexcept { return m_codePage; }
    const std::string& displayName() const noexcept { return m_displayName; }

    // Limits reading to the physical records [begin, end) (0-based), clamped to the table;
    // rewinds. Lets two readers share one table's records.
    void setRange(std::uint32_t begin, std::uint32_t end) noexcept;

    // Goes back before the first record (of the range).
    void rewind() noexcept;
    // Moves to the next record that is not deleted; false at the end of the table.
    bool next();
    // Physical number (1-based) of the current record.
    std::uint32_t recordNumber() const noexcept { return m_current; }

    std::string_view rawField(int index) const noexcept;
    // Text as Unicode (UTF-8): leading blanks kept, trailing blanks dropped, cut at a NUL.
    std::string text(int index) const;
    void appendText(int index, std::string& out) const;
    // Trailing-blank-trimmed bytes, undecoded (for keys).
    std::string_view rawText(int index) const noexcept;
    // A number field: a blank one reads as zero. Anything but an optional sign and digits with
    // at most one decimal point, between blanks, is an error naming the field and the record.
    double number(int index) const;
    // The same field's text between its blanks (empty when blank), checked as number does.
    std::string_view numberText(int index) const;
    // A logical field: nullopt when it holds no value.
    std::optional<bool> logical(int index) const noexcept;
    // A date field as "YYYYMMDD", empty when blank.
    std::string date(int index) const;

private:
    DbfReader() = default;
    void fill();
    [[noreturn]] void fail(const std::string& what) const;
    [[noreturn]] void failInField(int index, const std::string& what) const;

    std::string m_displayName;
    int m_fd = -1;
    std::vector<DbfField> m_fields;
    std::uint32_t m_recordCount = 0;
    std::uint32_t m_headerLength = 0;
    std::uint32_t m_recordLength = 0;
    std::uint8_t m_languageDriver = 0;
    CodePage m_codePage = CodePage::CP850;

    std::vector<char> m_buffer;      // whole records, read in blocks
    std::uint32_t m_bufferFirst = 0; // physical index (0-based) of the first buffered record
    std::uint32_t m_bufferCount = 0;
    std::uint32_t m_current = 0; // 1-based; the range's begin before its first record
    std::uint32_t m_rangeBegin = 0;
    std::uint32_t m_rangeEnd = 0;
    const char* m_record = nullptr;
};

} // namespace db
