#include "db/DbfReader.h"

#include "db/DbError.h"
#include "db/FileKind.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {
namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool knownVersion(unsigned char v)
{
    // dBase III/IV/V and the FoxPro variants share this header layout. dBase level 7 (0x04,
    // 0x8C) has wider field descriptors and is refused.
    switch (v) {
    case 0x03:
    case 0x83:
    case 0x8B:
    case 0xCB:
    case 0xF5:
    case 0xE5:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0xB3:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

std::string_view trimBlanks(std::string_view s)
{
    const std::size_t nul = s.find('\0');
    if (nul != std::string_view::npos)
        s = s.substr(0, nul);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// Bytes as valid UTF-8 that shows each of them: printable ASCII as is, others as \xNN.
std::string readable(std::string_view s)
{
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out.push_back(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

bool hasFoxProBacklink(unsigned char version)
{
    return version == 0x30 || version == 0x31 || version == 0x32;
}

enum class NumberForm { Blank, Number, Asterisks, Invalid };

bool isDigit(char c) noexcept
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// A number field holds blanks, or an optional sign and digits with at most one decimal point
// between blanks. Sets text to the part between the blanks. One pass from the left: this is
// read twelve times a record by the preparation pass.
NumberForm numberForm(std::string_view field, std::string_view& text) noexcept
{
    const char* const end = field.data() + field.size();
    const char* begin = field.data();
    while (begin != end && *begin == ' ')
        ++begin;
    if (begin == end) {
        text = {};
        return NumberForm::Blank;
    }
    const char* p = begin + (*begin == '-' || *begin == '+');
    const char* const first = p;
    while (p != end && isDigit(*p))
        ++p;
    bool digits = p != first;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        while (p != end && isDigit(*p))
            ++p;
        digits = digits || p != fraction;
    }
    const char* const last = p;
    while (p != end && *p == ' ')
        ++p;
    if (p == end && digits) {
        text = {begin, static_cast<std::size_t>(last - begin)};
        return NumberForm::Number;
    }
    const char* tail = end;
    while (tail[-1] == ' ') // stops at *begin at the latest
        --tail;
    text = {begin, static_cast<std::size_t>(tail - begin)};
    // What a writer leaves in a field too narrow for its number (or, for some, an empty one).
    if (text.find_first_not_of('*') == std::string_view::npos)
        return NumberForm::Asterisks;
    return NumberForm::Invalid;
}

} // namespace

DbfReader::DbfReader(const std::filesystem::path& file, std::string displayName)
{
    m_displayName = std::move(displayName);
    // Looked at before it is opened, and opened without waiting: opening a named pipe or a
    // device could block for ever or act on the device.
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        fail(std::string("Not a table file (") + fileKind(st.st_mode) + ")");
    m_fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (m_fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            fail("Table does not exist");
        fail(std::string("Cannot open table (") + std::strerror(errno) + ")");
    }
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        fail(std::string("Not a table file (") + fileKind(st.st_mode) + ")");
    }
    try {
        // The header is at most 65535 bytes long; read what the file has of it.
        std::string head(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), 65535),
                         '\0');
        std::size_t got = 0;
        while (got < head.size()) {
            const ssize_t n =
                ::pread(m_fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail("Cannot read table header");
            got += static_cast<std::size_t>(n);
        }
        parseHeader(head, static_cast<std::uint64_t>(st.st_size), m_displayName, *this);
    } catch (...) {
        ::close(m_fd);
        m_fd = -1;
        throw;
    }
    const std::size_t perBlock = std::max<std::size_t>(1, kBlockBytes / m_recordLength);
    m_buffer.resize(perBlock * m_recordLength);
}

DbfReader::~DbfReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DbfReader::fail(const std::string& what) const
{
    throw DbError(what + ": " + m_displayName);
}

void DbfReader::parseHeader(std::string_view bytes, std::uint64_t fileSize,
                            const std::string& displayName, DbfReader& into)
{
    into.m_displayName = displayName;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 32)
        into.fail("Not a dBase table (file too short)");
    if (!knownVersion(p[0])) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", p[0]);
        into.fail(std::string("Not a dBase table or unsupported version ") + hex);
    }
    const std::uint32_t recordCount = le32(p + 4);
    const std::uint32_t headerLength = le16(p + 8);
    const std::uint32_t recordLength = le16(p + 10);
    if (headerLength < 33 || recordLength < 1)
        into.fail("Corrupt table header");
    if (headerLength > fileSize || headerLength > bytes.size())
        into.fail("Table is truncated (header)");

    std::vector<DbfField> fields;
    std::uint32_t offset = 1;
    std::uint32_t at = 32;
    for (;; at += 32) {
        if (at < headerLength && p[at] == 0x0D)
            break;
        if (at + 32 > headerLength)
            into.fail("Corrupt table header (no end mark after the field descriptors)");
        DbfField f;
        std::size_t nameLength = 0;
        while (nameLength < 11 && p[at + nameLength] != 0)
            ++nameLength;
        f.name.assign(reinterpret_cast<const char*>(p + at), nameLength);
        while (!f.name.empty() && f.name.back() == ' ')
            f.name.pop_back();
        f.type = static_cast<char>(p[at + 11]);
        f.length = p[at + 16];
        f.decimals = p[at + 17];
        f.offset = offset;
        if (f.name.empty())
            into.fail("Corrupt table header (field without a name)");
        offset += f.length;
        fields.push_back(std::move(f));
    }
    if (fields.empty())
        into.fail("Corrupt table header (no fields)");
    // After the end mark: FoxPro's backlink (a database's path, or NULs), or NUL padding. A
    // header length that takes in anything else is wrong, and so is every record read by it.
    std::uint32_t padding = at + 1;
    if (hasFoxProBacklink(p[0]))
        padding = std::min(headerLength, padding + 263);
    for (; padding < headerLength; ++padding) {
        if (p[padding] != 0)
            into.fail("Corrupt table header (header length does not match the field descriptors)");
    }

    if (offset != recordLength) {
        // Some writers store character fields longer than 255 bytes with the high byte of the
        // length in the decimals byte. Take that reading only when it accounts for the record.
        std::uint32_t wide = 1;
        for (const DbfField& f : fields)
            wide += f.type == 'C' ? f.length + 256 * f.decimals : f.length;
        if (wide == recordLength) {
            offset = 1;
            for (DbfField& f : fields) {
                if (f.type == 'C') {
                    f.length += 256 * f.decimals;
                    f.decimals = 0;
                }
                f.offset = offset;
                offset += f.length;
            }
        }
    }
    // Fields that do not fill the record exactly would be read shifted, every one after the
    // first wrong length.
    if (offset != recordLength)
        into.fail("Corrupt table header (fields add up to " + std::to_string(offset) +
                  " bytes per record, header says " + std::to_string(recordLength) + ")");
    for (const DbfField& f : fields) {
        if (f.length == 0)
            into.fail("Corrupt table header (field " + readable(f.name) + " has no length)");
    }

    const std::uint64_t needed = static_cast<std::uint64_t>(headerLength) +
                                 static_cast<std::uint64_t>(recordCount) * recordLength;
    if (needed > fileSize) {
        const std::uint64_t held = (fileSize - headerLength) / recordLength;
        into.fail("Table is truncated (header gives " + std::to_string(recordCount) +
                  " records, file holds " + std::to_string(held) + ")");
    }

    into.m_fields = std::move(fields);
    into.m_recordCount = recordCount;
    into.m_rangeBegin = 0;
    into.m_rangeEnd = recordCount;
    into.m_headerLength = headerLength;
    into.m_recordLength = recordLength;
    into.m_languageDriver = p[29];
    into.m_codePage = codePageForLanguageDriver(p[29]);
}

int DbfReader::fieldIndex(std::string_view name) const noexcept
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (equalIgnoringAsciiCase(m_fields[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

void DbfReader::setRange(std::uint32_t begin, std::uint32_t end) noexcept
{
    m_rangeEnd = std::min(end, m_recordCount);
    m_rangeBegin = std::min(begin, m_rangeEnd);
    rewind();
}

void DbfReader::rewind() noexcept
{
    m_current = m_rangeBegin;
    m_record = nullptr;
}

void DbfReader::fill()
{
    // m_current is the 1-based number of the wanted record.
    const std::uint32_t first = m_current - 1;
    const std::uint32_t perBlock = static_cast<std::uint32_t>(m_buffer.size() / m_recordLength);
    const std::uint32_t count = std::min(perBlock, m_rangeEnd - first);
    const std::size_t bytes = static_cast<std::size_t>(count) * m_recordLength;
    const off_t at = static_cast<off_t>(m_headerLength) +
                     static_cast<off_t>(first) * static_cast<off_t>(m_recordLength);
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n =
            ::pread(m_fd, m_buffer.data() + got, bytes - got, at + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(std::string("Cannot read table (") + std::strerror(errno) + ")");
        if (n == 0)
            fail("Table is truncated (it shrank while being read)");
        got += static_cast<std::size_t>(n);
    }
    m_bufferFirst = first;
    m_bufferCount = count;
}

bool DbfReader::next()
{
    while (m_current < m_rangeEnd) {
        ++m_current;
        const std::uint32_t index = m_current - 1;
        if (index < m_bufferFirst || index >= m_bufferFirst + m_bufferCount || m_bufferCount == 0)
            fill();
        m_record =
            m_buffer.data() + static_cast<std::size_t>(index - m_bufferFirst) * m_recordLength;
        if (m_record[0] == ' ')
            return true;
        if (m_record[0] != '*')
            fail("Corrupt table (record " + std::to_string(m_current) + " starts with '" +
                 readable(std::string_view(m_record, 1)) + "', not with a deletion flag)");
    }
    m_current = m_rangeEnd;
    m_record = nullptr;
    return false;
}

std::string_view DbfReader::rawField(int index) const noexcept
{
    if (!m_record || index < 0 || static_cast<std::size_t>(index) >= m_fields.size())
        return {};
    const DbfField& f = m_fields[static_cast<std::size_t>(index)];
    return {m_record + f.offset, f.length};
}

std::string_view DbfReader::rawText(int index) const noexcept
{
    return trimBlanks(rawField(index));
}

void DbfReader::appendText(int index, std::string& out) const
{
    appendDecoded(m_codePage, rawText(index), out);
}

std::string DbfReader::text(int index) const
{
    std::string out;
    appendText(index, out);
    return out;
}

std::string_view DbfReader::numberText(int index) const
{
    std::string_view text;
    switch (numberForm(rawField(index), text)) {
    case NumberForm::Blank:
    case NumberForm::Number:
        return text;
    case NumberForm::Asterisks:
        failInField(index, "Overflowed or empty number (asterisks)");
    case NumberForm::Invalid:
        break;
    }
    failInField(index, "Invalid number '" + readable(text) + "'");
}

double DbfReader::number(int index) const
{
    std::string_view text = numberText(index);
    if (text.empty())
        return 0.0;
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    // The text is only digits around a point: it always parses, and stays finite (at most 255
    // digits).
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return value;
}

void DbfReader::failInField(int index, const std::string& what) const
{
    fail(what + " in field " + readable(m_fields[static_cast<std::size_t>(index)].name) +
         " of record " + std::to_string(m_current));
}

std::optional<bool> DbfReader::logical(int index) const noexcept
{
    const std::string_view s = rawField(index);
    if (s.empty())
        return std::nullopt;
    switch (s.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    default:
        return std::nullopt;
    }
}

std::string DbfReader::date(int index) const
{
    return std::string(rawText(index));
}

} // namespace db
