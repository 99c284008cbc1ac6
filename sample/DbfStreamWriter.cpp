#include "sample/DbfStreamWriter.h"

#include <stdexcept>
#include <system_error>

namespace sample {

DbfStreamWriter::DbfStreamWriter(const std::filesystem::path& file, std::vector<DbfColumn> columns,
                                 db::CodePage codePage, std::uint8_t version)
    : m_format(std::move(columns), codePage, version)
    , m_file(file)
    , m_out(file, std::ios::binary | std::ios::trunc)
{
    const std::string head = m_format.header(0);
    m_out.write(head.data(), static_cast<std::streamsize>(head.size()));
    check();
}

DbfStreamWriter::~DbfStreamWriter()
{
    if (m_finished)
        return;
    m_out.close();
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
}

void DbfStreamWriter::check() const
{
    if (!m_out)
        throw std::runtime_error("cannot write " + m_file.string());
}

void DbfStreamWriter::addRecord(const std::vector<DbfValue>& values, bool deleted)
{
    if (m_finished)
        throw std::logic_error("table already finished: " + m_file.string());
    if (m_count == 0xFFFFFFFFu)
        throw std::invalid_argument("too many records");
    const std::string record = m_format.encodeRecord(values, deleted);
    m_out.write(record.data(), static_cast<std::streamsize>(record.size()));
    check();
    ++m_count;
}

void DbfStreamWriter::finish()
{
    if (m_finished)
        return;
    m_out.put(0x1A);
    const std::string head = m_format.header(m_count);
    m_out.seekp(0);
    m_out.write(head.data(), static_cast<std::streamsize>(head.size()));
    m_out.close();
    check();
    m_finished = true;
}

} // namespace sample
