#include "sample/DbfWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace sample {
namespace {

void put16(std::string& s, std::size_t at, std::size_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, std::size_t at, std::uint64_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string encode(const std::string& utf8, db::CodePage page, const std::string& column)
{
    const auto bad = [&] {
        return std::invalid_argument("invalid UTF-8, column " + column);
    };
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c = b;
        std::size_t n = 1;
        if (b >= 0xF8 || (b >= 0x80 && b < 0xC0))
            throw bad();
        if (b >= 0xF0)
            n = 4, c = b & 0x07;
        else if (b >= 0xE0)
            n = 3, c = b & 0x0F;
        else if (b >= 0xC0)
            n = 2, c = b & 0x1F;
        if (i + n > utf8.size())
            throw bad();
        for (std::size_t k = 1; k < n; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80)
                throw bad();
            c = (c << 6) | (cont & 0x3F);
        }
        i += n;
        const auto byte = db::encodeChar(page, c);
        if (!byte)
            throw std::invalid_argument("character not in the code page, column " + column);
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

bool validName(const std::string& name)
{
    if (name.empty() || name.size() > 10)
        return false;
    for (char ch : name) {
        if (ch <= ' ' || ch > '~')
            return false;
    }
    return true;
}

} // namespace

DbfWriter::DbfWriter(std::vector<DbfColumn> columns, db::CodePage codePage, std::uint8_t version)
    : m_columns(std::move(columns))
    , m_codePage(codePage)
    , m_version(version)
{
    if (m_columns.empty())
        throw std::invalid_argument("a table needs at least one column");
    for (const DbfColumn& c : m_columns) {
        const bool numeric = c.type == 'N' || c.type == 'F';
        bool ok = validName(c.name) && c.length >= 1 && c.length <= 255;
        if (numeric)
            ok = ok && c.decimals >= 0 && c.decimals <= 15 &&
                 (c.decimals == 0 || c.decimals <= c.length - 2);
        else
            ok = ok && c.decimals == 0;
        if (c.type == 'D')
            ok = ok && c.length == 8;
        if (c.type == 'L')
            ok = ok && c.length == 1;
        if (!ok)
            throw std::invalid_argument("bad column " + c.name);
    }
    // Both lengths are 16-bit in the header.
    if (headerLength() > 0xFFFF || recordLength() > 0xFFFF)
        throw std::invalid_argument("too many columns");
}

std::size_t DbfWriter::recordLength() const noexcept
{
    std::size_t n = 1;
    for (const DbfColumn& c : m_columns)
        n += static_cast<std::size_t>(c.length);
    return n;
}

std::size_t DbfWriter::headerLength() const noexcept
{
    return 32 + 32 * m_columns.size() + 1;
}

std::string DbfWriter::encodeRecord(const std::vector<DbfValue>& values, bool deleted) const
{
    if (values.size() != m_columns.size())
        throw std::invalid_argument("wrong number of values");
    std::string record(deleted ? "*" : " ");
    record.reserve(recordLength());
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const DbfColumn& c = m_columns[i];
        const auto width = static_cast<std::size_t>(c.length);
        std::string field;
        const DbfValue& v = values[i];
        if (std::holds_alternative<std::monostate>(v)) {
            field.assign(width, c.type == 'L' ? '?' : ' ');
        } else if (c.type == 'N' || c.type == 'F') {
            const double* d = std::get_if<double>(&v);
            if (!d)
                throw std::invalid_argument("number expected, column " + c.name);
            if (!std::isfinite(*d))
                throw std::invalid_argument("number not finite, column " + c.name);
            char buf[400];
            std::snprintf(buf, sizeof buf, "%*.*f", c.length, c.decimals, *d);
            field = buf;
            if (field.size() > width)
                throw std::invalid_argument("number too wide, column " + c.name);
        } else if (c.type == 'L') {
            const bool* b = std::get_if<bool>(&v);
            if (!b)
                throw std::invalid_argument("logical expected, column " + c.name);
            field.assign(1, *b ? 'T' : 'F');
        } else {
            const std::string* s = std::get_if<std::string>(&v);
            if (!s)
                throw std::invalid_argument("text expected, column " + c.name);
            field = encode(*s, m_codePage, c.name);
            if (field.size() > width)
                throw std::invalid_argument("text too long, column " + c.name + ": " + *s);
            field.resize(width, ' ');
        }
        record += field;
    }
    return record;
}

void DbfWriter::addRecord(const std::vector<DbfValue>& values, bool deleted)
{
    m_records.push_back(encodeRecord(values, deleted));
}

std::string DbfWriter::header(std::uint64_t recordCount) const
{
    if (recordCount > 0xFFFFFFFFu)
        throw std::invalid_argument("too many records");
    std::string out(headerLength(), '\0');
    out[0] = static_cast<char>(m_version);
    out[1] = 99; // last update 1999-12-31: fixed, so that files are reproducible
    out[2] = 12;
    out[3] = 31;
    put32(out, 4, recordCount);
    put16(out, 8, headerLength());
    put16(out, 10, recordLength());
    out[29] = static_cast<char>(db::languageDriverFor(m_codePage));
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const DbfColumn& c = m_columns[i];
        const std::size_t at = 32 + 32 * i;
        out.replace(at, c.name.size(), c.name);
        out[at + 11] = c.type;
        out[at + 16] = static_cast<char>(c.length);
        out[at + 17] = static_cast<char>(c.decimals);
    }
    out[headerLength() - 1] = 0x0D;
    return out;
}

std::string DbfWriter::bytes() const
{
    std::string out = header(m_records.size());
    out.reserve(out.size() + m_records.size() * recordLength() + 1);
    for (const std::string& r : m_records)
        out += r;
    out.push_back(0x1A);
    return out;
}

void DbfWriter::write(const std::filesystem::path& file) const
{
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    const std::string b = bytes();
    f.write(b.data(), static_cast<std::streamsize>(b.size()));
    f.close();
    if (!f)
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace sample
