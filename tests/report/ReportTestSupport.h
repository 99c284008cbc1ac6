#pragma once

#include "report/StatementTemplate.h"
#include "report/engine/PageComposer.h"
#include "report/engine/PageStore.h"
#include "report/engine/ReportDataSet.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace reporttest {

using Row = QHash<QString, QString>;

// Rows held in memory; a field's display text is its value.
class FakeDataSet : public report::ReportDataSet {
public:
    FakeDataSet() = default;
    explicit FakeDataSet(std::vector<Row> rows)
        : m_rows(std::move(rows))
    {
    }

    void add(const Row& row) { m_rows.push_back(row); }
    const std::vector<Row>& rows() const { return m_rows; }
    Row& row(int i) { return m_rows.at(std::size_t(i)); }
    int position() const { return m_pos; }

    int recordCount() override { return int(m_rows.size()); }
    void first() override
    {
        ++firstCalls;
        m_pos = 0;
    }
    void next() override { ++m_pos; }
    bool eof() const override { return m_pos >= int(m_rows.size()); }
    QString fieldValue(const QString& field) const override
    {
        return m_rows.at(m_pos).value(field);
    }
    QString displayText(const QString& field) const override
    {
        return m_rows.at(m_pos).value(field);
    }

    int firstCalls = 0;

private:
    std::vector<Row> m_rows;
    int m_pos = 0;
};

// The rows of one statement: one per income code, named "<employee> <code>#<n>" so that each
// printed line can be told apart.
inline void addStatement(FakeDataSet& data, const QString& company, const QString& employee,
                         const QStringList& codes)
{
    int n = 0;
    for (const QString& code : codes) {
        data.add({
            {QStringLiteral("EP_CODIGO"), company},
            {QStringLiteral("FU_CODIGO"), employee},
            {QStringLiteral("EP_NOME"), QStringLiteral("EMPRESA ") + company},
            {QStringLiteral("EP_CGC"), QStringLiteral("12.345.678/0001-90")},
            {QStringLiteral("FU_NOME"), QStringLiteral("FUNCIONÁRIO ") + employee},
            {QStringLiteral("FU_CPF"), QStringLiteral("123.456.789-01")},
            {QStringLiteral("IN_CODIGO"), code},
            {QStringLiteral("IN_NOME"), QStringLiteral("%1 %2#%3").arg(employee, code).arg(++n)},
            {QStringLiteral("IR_TOTAL"), QStringLiteral("1.234,50")},
        });
    }
}

// `count` codes spread over `sections` sections (4, 5, 6, 8): one line in each section but the
// last, which takes the rest, so that an overflow never starts with a section title.
inline QStringList codesInSections(int sections, int count)
{
    static const char firsts[] = {'4', '5', '6', '8'};
    QStringList codes;
    for (int s = 0; s < sections; ++s) {
        const int lines = s + 1 < sections ? 1 : count - (sections - 1);
        for (int i = 0; i < lines; ++i)
            codes << QString(QLatin1Char(firsts[s])) + QString::number(i % 10);
    }
    return codes;
}

// The texts drawn on a finished page, in drawing order.
inline QStringList pageTexts(const report::PageStore& store, int page)
{
    QStringList texts;
    for (const report::DrawOp& op : store.page(page)) {
        if (op.kind == report::OpKind::Text)
            texts << store.string(op.ref);
    }
    return texts;
}

inline int countStartingWith(const QStringList& texts, const QString& prefix)
{
    int n = 0;
    for (const QString& t : texts)
        n += t.startsWith(prefix) ? 1 : 0;
    return n;
}

// Composes the statement template over the rows, with a fixed date and responsible person.
inline void composeStatements(FakeDataSet& data, report::PageStore& store,
                              const QString& responsible = QStringLiteral("JOSÉ DA SILVA"))
{
    report::ReportTemplate t = report::statementTemplate();
    t.setTextHandler(u"QRLabel20", [responsible](QString& value) { value = responsible; });
    report::RunContext context;
    context.date = QDate(1999, 3, 7);
    context.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
    report::compose(t, data, store, context);
}

// One statement of one income line on one page, signed by that responsible person.
inline void composeOnePage(report::PageStore& store, const QString& responsible)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    composeStatements(data, store, responsible);
}

// Responsible persons' names: one that fits its place at 10 points, a common full name that
// does not, one that takes two lines at 7 points and one too long even for that.
namespace names {
inline const QString fits = QStringLiteral("JOSÉ DA SILVA");
inline const QString common = QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA DE ALMEIDA");
inline const QString twoLines =
    QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA DE ALMEIDA CAVALCANTI DE ALBUQUERQUE");
inline const QString tooLong =
    QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA DE ALMEIDA CAVALCANTI DE ALBUQUERQUE E "
                   "MELLO FRANCO DE ANDRADE BRAGANÇA E ORLEANS");
} // namespace names

} // namespace reporttest
