#include "prep/MontaTabelaIR.h"

#include "db/DbError.h"
#include "db/Query.h"
#include "db/Table.h"
#include "prep/Currency.h"
#include "prep/TableDefs.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace prep {
namespace {

struct Key {
    std::string company;
    std::string employee;
    std::string code;
};

std::string hashKey(const std::string& company, const std::string& employee,
                    const std::string& code)
{
    std::string k;
    k.reserve(company.size() + employee.size() + code.size() + 2);
    k += company;
    k += '\x1f';
    k += employee;
    k += '\x1f';
    k += code;
    return k;
}

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

void MontaTabelaIR(char drive, db::Query& SQL, db::Table& IR, db::Table& DIRF)
{
    defineWorkTableFields(IR);
    defineRawTableFields(DIRF);

    SQL.close();
    SQL.clearSql();
    try {
        SQL.addSql(dropWorkTableSql(drive));
        SQL.execSql();
    } catch (const std::exception&) {
        // No old table (the first run on this drive), or one that cannot go: creating the new
        // one below says so.
    }
    SQL.close();
    SQL.clearSql();
    SQL.addSql(createWorkTableSql(drive));
    SQL.execSql();
    SQL.close();

    IR.setTableName(payrollPath(drive, kWorkTablePath));
    IR.open();
    DIRF.setTableName(payrollPath(drive, kRawTablePath));
    DIRF.open();
    DIRF.first();

    db::Field& company = DIRF.fieldByName("EP_CODIGO");
    db::Field& employee = DIRF.fieldByName("FU_CODIGO");
    db::Field& code = DIRF.fieldByName("IN_CODIGO");
    std::array<db::Field*, 12> months{};
    for (int m = 0; m < 12; ++m) {
        const std::string name = std::string("IR_") + (m < 9 ? "0" : "") + std::to_string(m + 1);
        months[static_cast<std::size_t>(m)] = &DIRF.fieldByName(name);
    }

    // Totals per key, in memory: one work-table record per key is written once at the end.
    // Each total is kept as it would read back from the table after every record, so that
    // the result is the record-by-record one.
    struct Total {
        Key key;
        Currency amount = 0;
    };
    std::unordered_map<std::string, std::size_t> index;
    std::vector<Total> totals;
    for (; !DIRF.eof(); DIRF.next()) {
        const std::string c = code.asString();
        const StoredCode stored = storedCode(c);
        Key key{company.asString(), employee.asString(), stored.code};
        Currency sum = 0;
        for (db::Field* month : months) {
            const std::optional<Currency> amount = currencyFromDouble(month->asFloat());
            if (!amount)
                outOfRange(key);
            const std::optional<Currency> next = addCurrency(sum, *amount);
            if (!next)
                outOfRange(key);
            sum = *next;
        }
        auto [it, added] = index.try_emplace(hashKey(key.company, key.employee, key.code),
                                             totals.size());
        if (added)
            totals.push_back({std::move(key), 0});
        Total& t = totals[it->second];
        const std::optional<Currency> updated =
            stored.subtract ? subtractCurrency(t.amount, sum) : addCurrency(t.amount, sum);
        if (!updated)
            outOfRange(t.key);
        const std::optional<Currency> storedBack = currencyFromDouble(currencyToDouble(*updated));
        if (!storedBack)
            outOfRange(t.key);
        t.amount = *storedBack;
    }

    std::sort(totals.begin(), totals.end(), [](const Total& a, const Total& b) {
        if (a.key.company != b.key.company)
            return a.key.company < b.key.company;
        if (a.key.employee != b.key.employee)
            return a.key.employee < b.key.employee;
        return a.key.code < b.key.code;
    });

    db::Field& irCompany = IR.fieldByName("EP_CODIGO");
    db::Field& irEmployee = IR.fieldByName("FU_CODIGO");
    db::Field& irCode = IR.fieldByName("IN_CODIGO");
    db::Field& irTotal = IR.fieldByName("IR_TOTAL");
    IR.startTransaction();
    try {
        for (const Total& t : totals) {
            IR.append();
            irCompany.setAsString(t.key.company);
            irEmployee.setAsString(t.key.employee);
            irCode.setAsString(t.key.code);
            irTotal.setAsFloat(currencyToDouble(std::max<Currency>(t.amount, 0)));
            IR.post();
        }
        IR.commit();
    } catch (...) {
        IR.rollback();
        throw;
    }
    IR.close();
    DIRF.close();
}

} // namespace prep
