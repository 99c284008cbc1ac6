#include "report/UInforme.h"
#include "report/StatementTemplate.h"

#include "cbase/Cb_func.h"
#include "cbase/Cb_varmem.h"
#include "cbase/CbaseEnv.h"
#include "platform/Cursor.h"
#include "platform/Regional.h"
#include "prep/TableDefs.h"
#include "preview/Preview.h"
#include "preview/QRPreview.h"
#include "report/FieldDisplay.h"

#include <QStringList>

TQRInforme* QRInforme = nullptr;

namespace {

const char* const kQueryLines[] = {
    "SELECT Emp.EP_NOME, Emp.EP_ENDERE, Emp.EP_CIDADE, Emp.EP_ESTADO, Emp.EP_CGC, Emp.EP_CPF, "
    "Emp.EP_TELEFO, Fun.EP_CODIGO, Fun.FU_CODIGO, Fun.FU_NOME, Fun.FU_CPF, Inf.IN_NOME, "
    "Ir.IN_CODIGO, Ir.IR_TOTAL",
    "FROM \"J:\\fp\\FP_EMP.DBF\" Emp",
    "   INNER JOIN \"J:\\fp\\FP_FUN.DBF\" Fun",
    "   ON  (Fun.EP_CODIGO = Emp.EP_CODIGO)  ",
    "   INNER JOIN \"J:\\DIRF99\\IR.DB\" Ir",
    "   ON  (Ir.EP_CODIGO = Fun.EP_CODIGO)  ",
    "   AND  (Ir.FU_CODIGO = Fun.FU_CODIGO)  ",
    "   LEFT OUTER JOIN \"J:\\fp\\FP_INF.DBF\" Inf",
    "   ON  (Ir.IN_CODIGO = Inf.IN_CODIGO)  ",
    "WHERE  Ir.IN_CODIGO < '90' ",
    // The employee code between name and income code keeps two employees of one company who
    // bear the same name apart: otherwise their lines interleave and break into pages.
    "ORDER BY Fun.EP_CODIGO, Fun.FU_NOME, Fun.FU_CODIGO, Ir.IN_CODIGO",
};

const QString kEmptyCgc = QStringLiteral("  .   .   /    -  ");

// A persistent field of Fun, as the payroll table that the query reads it from defines it.
db::Field& bindColumn(db::Query& query, const char* component,
                      std::span<const prep::PayrollColumn> table, const char* column)
{
    const prep::PayrollColumn& c = prep::column(table, column);
    return query.addField(component, c.name, c.type, c.size);
}

db::Field& bindWorkColumn(db::Query& query, const char* component, const char* column)
{
    const prep::FieldDef& f = prep::field(prep::workTableFields(), column);
    return query.addField(component, f.field, f.type, f.size);
}

QString text(const db::Field& f)
{
    return QString::fromStdString(f.asString());
}

} // namespace

// The rows of Fun as page composition reads them.
class TQRInforme::FunRows final : public report::ReportDataSet {
public:
    explicit FunRows(TQRInforme& report)
        : m_report(report)
    {
    }

    int recordCount() override { return m_report.Fun.recordCount(); }
    std::optional<int> recordCountIfReady() override { return m_report.Fun.recordCountIfReady(); }
    void first() override { m_report.Fun.first(); }
    void next() override { m_report.Fun.next(); }
    bool eof() const override { return m_report.Fun.eof(); }
    QString fieldValue(const QString& field) const override
    {
        return text(m_report.Fun.fieldByName(field.toStdString()));
    }
    QString displayText(const QString& field) const override { return m_report.displayText(field); }

private:
    TQRInforme& m_report;
};

TQRInforme::TQRInforme(QObject* owner, ReportHost host)
    : report::Report(owner)
    , FunEP_NOME(bindColumn(Fun, "FunEP_NOME", prep::companyColumns(), "EP_NOME"))
    , FunEP_ENDERE(bindColumn(Fun, "FunEP_ENDERE", prep::companyColumns(), "EP_ENDERE"))
    , FunEP_CIDADE(bindColumn(Fun, "FunEP_CIDADE", prep::companyColumns(), "EP_CIDADE"))
    , FunEP_ESTADO(bindColumn(Fun, "FunEP_ESTADO", prep::companyColumns(), "EP_ESTADO"))
    , FunEP_CGC(bindColumn(Fun, "FunEP_CGC", prep::companyColumns(), "EP_CGC"))
    , FunEP_CPF(bindColumn(Fun, "FunEP_CPF", prep::companyColumns(), "EP_CPF"))
    , FunEP_TELEFO(bindColumn(Fun, "FunEP_TELEFO", prep::companyColumns(), "EP_TELEFO"))
    , FunEP_CODIGO(bindColumn(Fun, "FunEP_CODIGO", prep::employeeColumns(), "EP_CODIGO"))
    , FunFU_CODIGO(bindColumn(Fun, "FunFU_CODIGO", prep::employeeColumns(), "FU_CODIGO"))
    , FunFU_NOME(bindColumn(Fun, "FunFU_NOME", prep::employeeColumns(), "FU_NOME"))
    , FunFU_CPF(bindColumn(Fun, "FunFU_CPF", prep::employeeColumns(), "FU_CPF"))
    , FunIN_CODIGO(bindWorkColumn(Fun, "FunIN_CODIGO", "IN_CODIGO"))
    , FunIR_TOTAL(bindWorkColumn(Fun, "FunIR_TOTAL", "IR_TOTAL"))
    , FunIN_NOME(bindColumn(Fun, "FunIN_NOME", prep::incomeCodeColumns(), "IN_NOME"))
    , m_host(std::move(host))
    , m_rows(std::make_unique<FunRows>(*this))
{
    setObjectName(QStringLiteral("QRInforme"));
    Template = report::statementTemplate();
    locale = platform::regionalLocale();
    std::vector<std::string> lines(std::begin(kQueryLines), std::end(kQueryLines));
    Fun.setSql(std::move(lines));
    Fun.onBeforeOpen = [this](db::Query& q) {
        FunBeforeOpen(q);
    };

    CbaseEnv1 = new TCbaseEnv(this);
    CbaseEnv1->setObjectName(QStringLiteral("CbaseEnv1"));
    CbaseEnv1->setSetDecimalsTO(0);
    CbaseEnv1->setSetEpoch(0);
    CbaseEnv1->setSetExclusiveON(false);
    CbaseEnv1->setSetConfirmON(false);

    OnPreview = [this](report::PageStore& printer) {
        QRInformePreview(printer);
    };
    Template.beforePrint = [this](bool& printReport) {
        QRInformeBeforePrint(printReport);
    };
    Template.setTextHandler(u"QRLabel10", [this](QString& v) { QRLabel10Print(v); });
    Template.setTextHandler(u"QRDBText10", [this](QString& v) { QRDBText10Print(v); });
    Template.setTextHandler(u"QRDBText3", [this](QString& v) { QRDBText3Print(v); });
    Template.setTextHandler(u"QRLabel20", [this](QString& v) { QRLabel20Print(v); });
}

TQRInforme::~TQRInforme()
{
    Fun.close();
}

QString TQRInforme::displayText(const QString& fieldName) const
{
    const db::Field& f = Fun.fieldByName(fieldName.toStdString());
    if (f.isNull())
        return {};
    if (&f == &FunIR_TOTAL)
        return report::formatAmount(f.asFloat(), locale);
    // The payroll tables' display masks, where the statement prints the field through one;
    // EP_CPF is read as stored.
    for (const db::Field* masked : {&FunEP_CGC, &FunEP_TELEFO, &FunFU_CPF}) {
        if (&f == masked) {
            const auto& table = &f == &FunFU_CPF ? prep::employeeColumns() : prep::companyColumns();
            const char* mask = prep::column(table, f.fieldName()).mask;
            return report::applyEditMask(QString::fromUtf8(mask), text(f), locale);
        }
    }
    return text(f);
}

report::RunResult TQRInforme::composePages(std::function<bool()> betweenRows,
                                           std::function<void(int page)> statementStarted)
{
    m_statementStarted = std::move(statementStarted);
    const report::RunResult result = compose(std::move(betweenRows));
    m_statementStarted = nullptr;
    return result;
}

report::ReportDataSet& TQRInforme::dataSet()
{
    return *m_rows;
}

void TQRInforme::groupStarted(const report::Band& group, int pageNumber, report::PageStore& store)
{
    if (group.name != QLatin1String("QRGroup1"))
        return;
    // A statement is found by the employee's name or CPF, with or without its punctuation.
    const QString cpf = text(FunFU_CPF).trimmed();
    store.addBookmark(pageNumber, text(FunFU_NOME).trimmed() + QLatin1Char('\n') +
                                      displayText(QStringLiteral("FU_CPF")) + QLatin1Char('\n') +
                                      cpf);
    if (m_statementStarted)
        m_statementStarted(pageNumber);
}

void TQRInforme::FunBeforeOpen(db::Query& DataSet)
{
    const CBase query(DataSet.sqlText());
    std::string prefix = "x:\\";
    prefix[0] = m_host.DriveFolha();
    const CBase search("J:\\");
    const CBase drive(prefix);
    DataSet.setSqlText(Strtran(query, search, drive));
}

void TQRInforme::QRLabel10Print(QString& Value)
{
    const std::string code = FunIN_CODIGO.asString();
    const char first = code.empty() ? '\0' : code[0];
    switch (first) {
    case '4':
        Value = QStringLiteral("3. RENDIMENTOS TRIBUTÁVEIS, DEDUÇÕES E IMPOSTO RETIDO NA FONTE");
        break;
    case '5':
        Value = QStringLiteral("4. RENDIMENTOS ISENTOS E NÃO TRIBUTÁVEIS");
        break;
    case '6':
        Value =
            QStringLiteral("5. RENDIMENTOS SUJEITOS À TRIBUTAÇÃO EXCLUSIVA (RENDIMENTO LÍQUIDO)");
        break;
    case '8':
        Value = QStringLiteral("6. INFORMAÇÕES COMPLEMENTARES");
        break;
    default:
        break;
    }
}

void TQRInforme::QRDBText10Print(QString& Value)
{
    const QString second = Value.mid(1, 1);
    if (Value == QLatin1String("49"))
        Value = QStringLiteral("0") + second + QStringLiteral(".   DEPENDENTES");
    else
        Value = QStringLiteral("0") + second + QStringLiteral(".");
}

void TQRInforme::QRDBText3Print(QString& Value)
{
    if (Value != kEmptyCgc)
        return;
    const QString s = text(FunEP_CPF);
    Value = s.mid(0, 3) + QLatin1Char('.') + s.mid(3, 3) + QLatin1Char('.') + s.mid(6, 3) +
            QLatin1Char('-') + s.mid(9, 2);
}

void TQRInforme::QRLabel20Print(QString& Value)
{
    Value = m_host.NomeResponsavel();
}

void TQRInforme::QRInformePreview(report::PageStore& Sender)
{
    auto* window = new TFPreview(this, m_host.PreviewFrame());
    window->Preview->setQRPrinter(&Sender);
    window->Relatorio = this;
}

void TQRInforme::QRInformeBeforePrint(bool& PrintReport)
{
    platform::setScreenCursor(platform::ScreenCursor::Default);
    (void)PrintReport;
}
