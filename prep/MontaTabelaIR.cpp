#include "prep/MontaTabelaIR.h"

#include "db/DbError.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Drives.h"
#include "prep/Currency.h"
#include "prep/TableDefs.h"
#include "prep/WorkTableLock.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <limits>
#include <thread>
#include <vector>

namespace prep {
namespace {

struct Key {
    std::string company;
    std::string employee;
    std::string code;
};

// A key packed into one short text (it fits the string's own buffer): the company and the
// employee, each after its length, then the code.
std::string& packKey(std::string& into, std::string_view company, std::string_view employee,
                     std::string_view code)
{
    into.clear();
    into.push_back(static_cast<char>(company.size()));
    into.append(company);
    into.push_back(static_cast<char>(employee.size()));
    into.append(employee);
    into.append(code);
    return into;
}

struct Total {
    std::string packed;
    Currency amount = 0;

    std::string_view company() const
    {
        return std::string_view(packed).substr(1, static_cast<unsigned char>(packed[0]));
    }
    std::string_view employee() const
    {
        const std::size_t at = 1 + company().size();
        return std::string_view(packed).substr(at + 1, static_cast<unsigned char>(packed[at]));
    }
    std::string_view code() const
    {
        return std::string_view(packed).substr(2 + company().size() + employee().size());
    }
    Key key() const
    {
        return {std::string(company()), std::string(employee()), std::string(code())};
    }
};

// Totals in the order their keys first appeared, found by key through open addressing: a
// million raw records against a few hundred thousand keys.
class Totals {
public:
    Totals()
        : m_slots(1024)
        , m_mask(1023)
    {
    }

    Total& find(std::string_view company, std::string_view employee, std::string_view code)
    {
        return find(packKey(m_probe, company, employee, code));
    }

    Total& find(const std::string& packed)
    {
        const std::uint64_t h = hash(packed);
        for (std::size_t i = h & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.index == 0) {
                m_totals.push_back({packed, 0});
                slot = {h, static_cast<std::uint32_t>(m_totals.size())};
                Total& added = m_totals.back();
                if (m_totals.size() * 2 > m_slots.size())
                    grow();
                return added;
            }
            if (slot.hash == h && m_totals[slot.index - 1].packed == packed)
                return m_totals[slot.index - 1];
        }
    }

    std::vector<Total>& all() noexcept { return m_totals; }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t index = 0; // 1-based into m_totals; 0: empty
    };

    static std::uint64_t hash(std::string_view s)
    {
        std::uint64_t h = 1469598103934665603ULL; // FNV-1a
        for (unsigned char ch : s)
            h = (h ^ ch) * 1099511628211ULL;
        return h ^ (h >> 29);
    }

    void grow()
    {
        std::vector<Slot> bigger(m_slots.size() * 2);
        const std::size_t mask = bigger.size() - 1;
        for (const Slot& slot : m_slots) {
            if (slot.index == 0)
                continue;
            std::size_t i = slot.hash & mask;
            while (bigger[i].index != 0)
                i = (i + 1) & mask;
            bigger[i] = slot;
        }
        m_slots = std::move(bigger);
        m_mask = mask;
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask;
    std::vector<Total> m_totals;
    std::string m_probe;
};

[[noreturn]] void outOfRange(const Key& key)
{
    throw db::DbError("Valor fora do limite da moeda: empresa " + key.company + ", funcionário " +
                      key.employee + ", código " + key.code);
}

void defineFields(db::Table& table, std::span<const FieldDef> defs)
{
    if (!table.fields().empty())
        return;
    for (const FieldDef& f : defs)
        table.addField(f.component, f.field, f.type, f.size);
}

} // namespace

StoredCode storedCode(const std::string& payrollCode)
{
    if (payrollCode == "91")
        return {"61", true};
    if (payrollCode == "40")
        return {"49", false};
    if (payrollCode == "49")
        return {"4X", false};
    return {payrollCode, false};
}

void defineRawTableFields(db::Table& DIRF)
{
    defineFields(DIRF, rawTableFields());
}

void defineWorkTableFields(db::Table& IR)
{
    defineFields(IR, workTableFields());
}

namespace {

// Adds up the records of an open raw table from its first one. Exact mode keeps every total
// as it would read back from the table after each record, so that the result is the
// record-by-record one; the fast mode adds exactly and tracks the sum of the records'
// magnitudes, below which the two agree.
struct Scan {
    Totals totals;
    Currency magnitude = 0; // sum of |record sum|, saturated at the limit
};

constexpr Currency kOrderFreeLimit = Currency(1) << 50;

void scanRaw(db::Table& DIRF, Scan& scan, bool exact)
{
    db::Field& company = DIRF.fieldByName("EP_CODIGO");
    db::Field& employee = DIRF.fieldByName("FU_CODIGO");
    db::Field& code = DIRF.fieldByName("IN_CODIGO");
    std::array<db::Field*, 12> months{};
    for (int m = 0; m < 12; ++m) {
        const std::string name = std::string("IR_") + (m < 9 ? "0" : "") + std::to_string(m + 1);
        months[static_cast<std::size_t>(m)] = &DIRF.fieldByName(name);
    }
    for (DIRF.first(); !DIRF.eof(); DIRF.next()) {
        const StoredCode stored = storedCode(code.asString());
        Currency sum = 0;
        for (db::Field* month : months) {
            // The stored decimal text gives the amount without a detour through floating
            // point whenever that is exact; otherwise the field's value decides.
            std::optional<Currency> amount = currencyFromDecimalText(month->asString());
            if (!amount)
                amount = currencyFromDouble(month->asFloat());
            const std::optional<Currency> next =
                amount ? addCurrency(sum, *amount) : std::optional<Currency>();
            if (!next)
                outOfRange({company.asString(), employee.asString(), stored.code});
            sum = *next;
        }
        Total& t =
            scan.totals.find(company.asString(), employee.asString(), std::string(stored.code));
        const std::optional<Currency> updated =
            stored.subtract ? subtractCurrency(t.amount, sum) : addCurrency(t.amount, sum);
        if (!updated)
            outOfRange(t.key());
        if (exact) {
            const std::optional<Currency> storedBack =
                currencyFromDouble(currencyToDouble(*updated));
            if (!storedBack)
                outOfRange(t.key());
            t.amount = *storedBack;
        } else {
            t.amount = *updated;
            const Currency size = sum == std::numeric_limits<Currency>::min()
                                      ? kOrderFreeLimit
                                      : (sum < 0 ? -sum : sum);
            scan.magnitude =
                std::min(kOrderFreeLimit, scan.magnitude + std::min(size, kOrderFreeLimit));
        }
    }
}

// Totals the raw table, splitting a large one between two threads. While the amounts stay far
// below the currency's limit every total reads back exactly, so sums in any order agree with
// the record-by-record result; otherwise (or on any error) the table is read again in order.
std::vector<Total> totalRawTable(db::Table& DIRF, std::uint32_t splitRecords)
{
    const std::uint32_t records = DIRF.storedRecordCount();
    if (records >= splitRecords && records >= 2 && std::thread::hardware_concurrency() > 1) {
        const std::uint32_t half = records / 2;
        db::Table second;
        defineRawTableFields(second);
        second.setTableName(DIRF.tableName());
        second.setRecordRange(half, records);
        DIRF.close();
        DIRF.setRecordRange(0, half);
        Scan a, b;
        std::exception_ptr failed;
        try {
            DIRF.open();
            second.open();
            std::exception_ptr workerFailed;
            std::thread worker([&] {
                try {
                    scanRaw(second, b, false);
                } catch (...) {
                    workerFailed = std::current_exception();
                }
            });
            try {
                scanRaw(DIRF, a, false);
            } catch (...) {
                failed = std::current_exception();
            }
            worker.join();
            if (!failed)
                failed = workerFailed;
        } catch (...) {
            failed = std::current_exception();
        }
        second.close();
        DIRF.close();
        DIRF.clearRecordRange();
        if (!failed && a.magnitude + b.magnitude < kOrderFreeLimit) {
            // A key found in both halves appears twice; the sort brings the two together.
            std::vector<Total> totals = std::move(a.totals.all());
            std::vector<Total>& more = b.totals.all();
            totals.insert(totals.end(), std::make_move_iterator(more.begin()),
                          std::make_move_iterator(more.end()));
            DIRF.open();
            return totals;
        }
        DIRF.open();
    }
    Scan scan;
    scanRaw(DIRF, scan, true);
    return std::move(scan.totals.all());
}

} // namespace

void MontaTabelaIR(char drive, db::Query& SQL, db::Table& IR, db::Table& DIRF,
                   std::uint32_t splitRecords, std::chrono::milliseconds lockWait)
{
    defineWorkTableFields(IR);
    defineRawTableFields(DIRF);
    // Shares the caller's hold, if any: the caller keeps it until the report has read the table.
    const WorkTableLock lock(drive, lockWait);

    SQL.close();
    SQL.clearSql();
    try {
        SQL.addSql(dropWorkTableSql(drive));
        SQL.execSql();
    } catch (const std::exception&) {
        // No old table (the first run on this drive) is fine. An old table that stays would
        // only make the creation below fail with "already exists": say why it stays instead.
        if (platform::resolvePath(payrollPath(drive, kWorkTablePath)).status ==
            platform::PathStatus::Ok)
            throw;
    }
    SQL.close();
    SQL.clearSql();
    SQL.addSql(createWorkTableSql(drive));
    SQL.execSql();
    SQL.close();

    IR.setTableName(payrollPath(drive, kWorkTablePath));
    IR.open();
    DIRF.setTableName(payrollPath(drive, kRawTablePath));
    DIRF.clearRecordRange();
    DIRF.open();

    std::vector<Total> totals = totalRawTable(DIRF, splitRecords);
    // In key order, as the table keeps its records; keys met by both readers are combined.
    std::sort(totals.begin(), totals.end(),
              [](const Total& a, const Total& b) { return a.packed < b.packed; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < totals.size(); ++i) {
        if (kept > 0 && totals[kept - 1].packed == totals[i].packed)
            totals[kept - 1].amount += totals[i].amount;
        else if (kept++ != i)
            totals[kept - 1] = std::move(totals[i]);
    }
    totals.resize(kept);

    db::Table::BulkAppend writer(IR, {&IR.fieldByName("EP_CODIGO"), &IR.fieldByName("FU_CODIGO"),
                                      &IR.fieldByName("IN_CODIGO"), &IR.fieldByName("IR_TOTAL")});
    IR.startTransaction();
    try {
        std::array<db::FieldValue, 4> record;
        for (db::FieldValue& v : record)
            v.null = false;
        for (const Total& t : totals) {
            record[0].text = t.company();
            record[1].text = t.employee();
            record[2].text = t.code();
            record[3].number = currencyToDouble(std::max<Currency>(t.amount, 0));
            writer.add(record);
        }
        writer.flush();
        IR.commit();
    } catch (...) {
        IR.rollback();
        throw;
    }
    IR.close();
    DIRF.close();
}

} // namespace prep
