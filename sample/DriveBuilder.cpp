#include "sample/DriveBuilder.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <type_traits>

namespace sample {
namespace {

constexpr std::size_t tableIndex(DriveFile table)
{
    return static_cast<std::size_t>(table) - 1;
}

void requireTable(DriveFile table)
{
    if (table == DriveFile::Marker)
        throw std::invalid_argument("the marker file has no columns");
}

DbfValue text(const std::string& s)
{
    return s;
}

DbfValue number(const std::optional<double>& d)
{
    if (d)
        return *d;
    return {};
}

DbfValue date(const std::string& yyyymmdd)
{
    if (yyyymmdd.empty())
        return {};
    return yyyymmdd;
}

// Cuts UTF-8 text to at most width characters.
std::string cut(const std::string& s, int width)
{
    std::size_t at = 0;
    for (int n = 0; n < width && at < s.size(); ++n) {
        ++at;
        while (at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80)
            ++at;
    }
    return s.substr(0, at);
}

DbfValue convert(const DbfColumn& c, const DbfValue& v)
{
    if (std::holds_alternative<std::monostate>(v))
        return v;
    switch (c.type) {
    case 'N':
    case 'F':
        if (std::holds_alternative<double>(v))
            return v;
        if (const auto* s = std::get_if<std::string>(&v)) {
            double d = 0;
            const auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), d);
            if (ec == std::errc() && end == s->data() + s->size())
                return d;
        }
        return {};
    case 'L':
        if (std::holds_alternative<bool>(v))
            return v;
        return {};
    default:
        if (const auto* d = std::get_if<double>(&v)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.2f", *d);
            return cut(buf, c.length);
        }
        if (const auto* b = std::get_if<bool>(&v))
            return std::string(*b ? "T" : "F");
        return cut(std::get<std::string>(v), c.length);
    }
}

} // namespace

std::filesystem::path drivePath(const std::filesystem::path& root, DriveFile file)
{
    switch (file) {
    case DriveFile::Marker:
        return root / "FP" / "TELA.FP";
    case DriveFile::Companies:
        return root / "FP" / "FP_EMP.DBF";
    case DriveFile::Employees:
        return root / "FP" / "FP_FUN.DBF";
    case DriveFile::IncomeCodes:
        return root / "FP" / "FP_INF.DBF";
    case DriveFile::RawTable:
        break;
    }
    return root / "DIRF99" / "ir_cru.dbf";
}

MonthlyAmounts everyMonth(double amount)
{
    MonthlyAmounts months;
    months.fill(amount);
    return months;
}

std::vector<DbfColumn> DriveBuilder::standardColumns(DriveFile table)
{
    switch (table) {
    case DriveFile::Companies:
        return {{"EP_CODIGO", 'C', 2},  {"EP_NOME", 'C', 35},   {"EP_ENDERE", 'C', 30},
                {"EP_BAIRRO", 'C', 20}, {"EP_CIDADE", 'C', 15}, {"EP_ESTADO", 'C', 2},
                {"EP_CEP", 'C', 8},     {"EP_CGC", 'C', 14},    {"EP_CPF", 'C', 11},
                {"EP_TELEFO", 'C', 10}};
    case DriveFile::Employees:
        return {{"EP_CODIGO", 'C', 2}, {"FU_CODIGO", 'C', 5}, {"FU_NOME", 'C', 30},
                {"FU_CPF", 'C', 11},   {"FU_ADMISS", 'D', 8}, {"FU_SALARI", 'N', 12, 2}};
    case DriveFile::IncomeCodes:
        return {{"IN_CODIGO", 'C', 2}, {"IN_NOME", 'C', 25}, {"IN_TIPO", 'C', 1}};
    case DriveFile::RawTable: {
        std::vector<DbfColumn> c = {{"EP_CODIGO", 'C', 2},
                                    {"FU_CODIGO", 'C', 5},
                                    {"IN_CODIGO", 'C', 2},
                                    {"IN_TIPO", 'C', 1}};
        for (int m = 1; m <= 12; ++m) {
            char name[8];
            std::snprintf(name, sizeof name, "IR_%02d", m);
            c.push_back({name, 'N', 12, 2});
        }
        c.push_back({"IR_VALE", 'N', 12, 2});
        c.push_back({"IR_STATUS", 'C', 1});
        return c;
    }
    case DriveFile::Marker:
        break;
    }
    requireTable(table);
    return {};
}

DriveBuilder::DriveBuilder()
{
    for (DriveFile t : {DriveFile::Companies, DriveFile::Employees, DriveFile::IncomeCodes,
                        DriveFile::RawTable}) {
        Layout& l = m_layouts[tableIndex(t)];
        l.columns = standardColumns(t);
        for (std::size_t i = 0; i < l.columns.size(); ++i)
            l.source.push_back(static_cast<int>(i));
        l.converted.assign(l.columns.size(), false);
        l.extra.assign(l.columns.size(), DbfValue{});
    }
}

DriveBuilder::Layout& DriveBuilder::layout(DriveFile table)
{
    requireTable(table);
    return m_layouts[tableIndex(table)];
}

const DriveBuilder::Layout& DriveBuilder::layout(DriveFile table) const
{
    requireTable(table);
    return m_layouts[tableIndex(table)];
}

DriveBuilder& DriveBuilder::addCompany(Company company)
{
    m_companies.push_back(std::move(company));
    return *this;
}

DriveBuilder& DriveBuilder::addEmployee(Employee employee)
{
    m_employees.push_back(std::move(employee));
    return *this;
}

DriveBuilder& DriveBuilder::addIncomeCode(IncomeCode code)
{
    m_incomeCodes.push_back(std::move(code));
    return *this;
}

DriveBuilder& DriveBuilder::addRawRecord(RawRecord record)
{
    m_rawRecords.push_back(std::move(record));
    return *this;
}

DriveBuilder& DriveBuilder::skip(DriveFile file)
{
    m_skipped.insert(file);
    return *this;
}

DriveBuilder& DriveBuilder::setCodePage(db::CodePage page)
{
    m_codePage = page;
    return *this;
}

DriveBuilder& DriveBuilder::addExtraColumn(DriveFile table, DbfColumn column, DbfValue value)
{
    Layout& l = layout(table);
    for (const DbfColumn& c : l.columns) {
        if (c.name == column.name)
            throw std::invalid_argument("column already in the table: " + column.name);
    }
    l.columns.push_back(std::move(column));
    l.source.push_back(-1);
    l.converted.push_back(false);
    l.extra.push_back(std::move(value));
    return *this;
}

DriveBuilder& DriveBuilder::omitColumn(DriveFile table, const std::string& name)
{
    Layout& l = layout(table);
    for (std::size_t i = 0; i < l.columns.size(); ++i) {
        if (l.columns[i].name == name) {
            const auto at = static_cast<std::ptrdiff_t>(i);
            l.columns.erase(l.columns.begin() + at);
            l.source.erase(l.source.begin() + at);
            l.converted.erase(l.converted.begin() + at);
            l.extra.erase(l.extra.begin() + at);
            return *this;
        }
    }
    throw std::invalid_argument("no column " + name);
}

DriveBuilder& DriveBuilder::replaceColumn(DriveFile table, DbfColumn column)
{
    Layout& l = layout(table);
    for (std::size_t i = 0; i < l.columns.size(); ++i) {
        if (l.columns[i].name == column.name) {
            l.columns[i] = std::move(column);
            l.converted[i] = true;
            return *this;
        }
    }
    throw std::invalid_argument("no column " + column.name);
}

const std::vector<DbfColumn>& DriveBuilder::columns(DriveFile table) const
{
    return layout(table).columns;
}

std::vector<DbfValue> DriveBuilder::arrange(DriveFile table, std::vector<DbfValue> standard) const
{
    const Layout& l = layout(table);
    std::vector<DbfValue> out;
    out.reserve(l.columns.size());
    for (std::size_t i = 0; i < l.columns.size(); ++i) {
        const int from = l.source[i];
        DbfValue v = from < 0 ? l.extra[i] : std::move(standard[static_cast<std::size_t>(from)]);
        out.push_back(l.converted[i] ? convert(l.columns[i], v) : std::move(v));
    }
    return out;
}

std::vector<DbfValue> DriveBuilder::values(const Company& r) const
{
    return arrange(DriveFile::Companies,
                   {text(r.code), text(r.name), text(r.address), text(r.district), text(r.city),
                    text(r.state), text(r.zip), text(r.cnpj), text(r.cpf), text(r.phone)});
}

std::vector<DbfValue> DriveBuilder::values(const Employee& r) const
{
    return arrange(DriveFile::Employees, {text(r.company), text(r.code), text(r.name), text(r.cpf),
                                          date(r.admission), number(r.salary)});
}

std::vector<DbfValue> DriveBuilder::values(const IncomeCode& r) const
{
    return arrange(DriveFile::IncomeCodes, {text(r.code), text(r.name), text(r.type)});
}

std::vector<DbfValue> DriveBuilder::values(const RawRecord& r) const
{
    std::vector<DbfValue> v = {text(r.company), text(r.employee), text(r.code), text(r.type)};
    v.reserve(18);
    for (const std::optional<double>& m : r.months)
        v.push_back(number(m));
    v.push_back(number(r.vale));
    v.push_back(text(r.status));
    return arrange(DriveFile::RawTable, std::move(v));
}

void DriveBuilder::write(const std::filesystem::path& root) const
{
    std::filesystem::create_directories(root / "FP");
    std::filesystem::create_directories(root / "DIRF99");

    if (!skipped(DriveFile::Marker)) {
        const std::filesystem::path marker = drivePath(root, DriveFile::Marker);
        std::ofstream f(marker, std::ios::binary | std::ios::trunc);
        f << "TELA\r\n";
        f.close();
        if (!f)
            throw std::runtime_error("cannot write " + marker.string());
    }

    const auto table = [&](DriveFile file, const auto& rows) {
        if (skipped(file))
            return;
        const std::filesystem::path path = drivePath(root, file);
        DbfWriter w(columns(file), m_codePage);
        try {
            for (const auto& row : rows) {
                if constexpr (std::is_same_v<std::decay_t<decltype(row)>, RawRecord>)
                    w.addRecord(values(row), row.deleted);
                else
                    w.addRecord(values(row));
            }
        } catch (const std::invalid_argument& e) {
            throw std::invalid_argument(path.filename().string() + ": " + e.what());
        }
        w.write(path);
    };
    table(DriveFile::Companies, m_companies);
    table(DriveFile::Employees, m_employees);
    table(DriveFile::IncomeCodes, m_incomeCodes);
    table(DriveFile::RawTable, m_rawRecords);
}

} // namespace sample
