// Speed and memory of page composition and PDF writing, over a generated data set of 20,000
// employees (a few income lines each, in two or three sections; one in 28 with 14 lines, which
// take two pages). Prints pages per second for composition alone and with the PDF, the page
// store's memory per page and the PDF's bytes per page.
//
//   bench_report [--employees N] [--out FILE.pdf] [--qt-pages N]
#include "report/StatementTemplate.h"
#include "report/engine/PageComposer.h"
#include "report/engine/PageRenderer.h"
#include "report/engine/PageStore.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportDataSet.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QPdfWriter>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

enum Column {
    EP_NOME,
    EP_ENDERE,
    EP_CIDADE,
    EP_ESTADO,
    EP_CGC,
    EP_TELEFO,
    EP_CODIGO,
    FU_CODIGO,
    FU_NOME,
    FU_CPF,
    IN_CODIGO,
    IN_NOME,
    IR_TOTAL,
    Columns
};

struct Employee {
    QString company, code, name, cpf;
    int companyIndex = 0;
};

struct Line {
    int employee = 0;
    QString code, name, amount;
};

class GeneratedDataSet : public report::ReportDataSet {
public:
    explicit GeneratedDataSet(int employees)
    {
        const char* names[] = {"ANA",   "BRUNO", "CARLA", "DIEGO", "ÉRICA", "FÁBIO",  "GISELE",
                               "HÉLIO", "IARA",  "JOÃO",  "KÁTIA", "LUÍS",  "MÁRCIA", "NÉLSON"};
        const char* surnames[] = {"SILVA",     "SOUZA",  "OLIVEIRA",  "PEREIRA", "LIMA",
                                  "CONCEIÇÃO", "ARAÚJO", "GONÇALVES", "ALVES",   "ROCHA"};
        const char* incomes[] = {"Rendimentos tributáveis",   "Contribuição previdenciária",
                                 "Previdência privada",       "Pensão alimentícia",
                                 "Imposto retido na fonte",   "Parcela isenta",
                                 "Diárias e ajudas de custo", "Décimo terceiro salário"};
        const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
        for (int c = 0; c < 50; ++c) {
            Company co;
            co.name = QStringLiteral("EMPRESA %1 COMÉRCIO E SERVIÇOS LTDA").arg(c + 1);
            co.address = QStringLiteral("RUA DAS ACÁCIAS, %1").arg(100 + c);
            co.city = QStringLiteral("SÃO PAULO");
            co.state = QStringLiteral("SP");
            co.cgc = QStringLiteral("12.345.%1/0001-90").arg(c + 100, 3, 10, QLatin1Char('0'));
            co.phone = QStringLiteral("(011)5555-%1 ").arg(1000 + c);
            co.code = QStringLiteral("%1").arg(c + 1, 2, 10, QLatin1Char('0'));
            m_companies.push_back(co);
        }
        for (int e = 0; e < employees; ++e) {
            Employee em;
            em.companyIndex = e * 50 / employees;
            em.company = m_companies[std::size_t(em.companyIndex)].code;
            em.code = QStringLiteral("%1").arg(e + 1, 5, 10, QLatin1Char('0'));
            em.name = QStringLiteral("%1 %2 %3")
                          .arg(QString::fromUtf8(names[e % 14]),
                               QString::fromUtf8(surnames[(e / 14) % 10]),
                               QString::fromUtf8(surnames[(e / 140) % 10]));
            em.cpf = QStringLiteral("%1.%2.%3-%4")
                         .arg(100 + e % 900)
                         .arg(200 + e % 700)
                         .arg(300 + e % 600)
                         .arg(e % 100, 2, 10, QLatin1Char('0'));
            m_employees.push_back(em);

            // Two or three sections; one employee in 28 has 14 lines.
            const bool many = e % 28 == 0;
            std::vector<QString> sections =
                e % 3 ? std::vector<QString>{"4", "6"} : std::vector<QString>{"4", "5", "8"};
            int lines = many ? 14 : 4 + e % 5;
            for (std::size_t s = 0; s < sections.size(); ++s) {
                const int here = s + 1 < sections.size()
                                     ? lines / int(sections.size())
                                     : lines - int(s) * (lines / int(sections.size()));
                for (int i = 0; i < here; ++i) {
                    Line l;
                    l.employee = e;
                    l.code = sections[s] + QString::number(i % 9 + 1);
                    l.name = QString::fromUtf8(incomes[(e + i) % 8]);
                    l.amount =
                        brazil.toString(double((e * 7919 + i * 104729) % 2000000) / 100, 'f', 2);
                    m_lines.push_back(l);
                }
            }
        }
        const char* columns[] = {"EP_NOME",   "EP_ENDERE", "EP_CIDADE", "EP_ESTADO", "EP_CGC",
                                 "EP_TELEFO", "EP_CODIGO", "FU_CODIGO", "FU_NOME",   "FU_CPF",
                                 "IN_CODIGO", "IN_NOME",   "IR_TOTAL"};
        for (int i = 0; i < Columns; ++i)
            m_columns.insert(QString::fromLatin1(columns[i]), i);
    }

    int recordCount() override { return int(m_lines.size()); }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() const override { return m_pos >= m_lines.size(); }
    QString fieldValue(const QString& field) const override { return displayText(field); }
    QString displayText(const QString& field) const override
    {
        const Line& l = m_lines[m_pos];
        const Employee& e = m_employees[std::size_t(l.employee)];
        const Company& c = m_companies[std::size_t(e.companyIndex)];
        switch (m_columns.value(field, -1)) {
        case EP_NOME:
            return c.name;
        case EP_ENDERE:
            return c.address;
        case EP_CIDADE:
            return c.city;
        case EP_ESTADO:
            return c.state;
        case EP_CGC:
            return c.cgc;
        case EP_TELEFO:
            return c.phone;
        case EP_CODIGO:
            return e.company;
        case FU_CODIGO:
            return e.code;
        case FU_NOME:
            return e.name;
        case FU_CPF:
            return e.cpf;
        case IN_CODIGO:
            return l.code;
        case IN_NOME:
            return l.name;
        case IR_TOTAL:
            return l.amount;
        }
        return QString();
    }

private:
    struct Company {
        QString code, name, address, city, state, cgc, phone;
    };
    std::vector<Company> m_companies;
    std::vector<Employee> m_employees;
    std::vector<Line> m_lines;
    QHash<QString, int> m_columns;
    std::size_t m_pos = 0;
};

// The statement template with handlers doing about what the report's will.
report::ReportTemplate benchTemplate(const report::ReportDataSet& data)
{
    report::ReportTemplate t = report::statementTemplate();
    t.setTextHandler(u"QRLabel10", [&data](QString& value) {
        const QString c = data.fieldValue(QStringLiteral("IN_CODIGO")).left(1);
        if (c == u"4")
            value =
                QStringLiteral("3. RENDIMENTOS TRIBUTÁVEIS, DEDUÇÕES E IMPOSTO RETIDO NA FONTE");
        else if (c == u"5")
            value = QStringLiteral("4. RENDIMENTOS ISENTOS E NÃO TRIBUTÁVEIS");
        else if (c == u"6")
            value = QStringLiteral(
                "5. RENDIMENTOS SUJEITOS À TRIBUTAÇÃO EXCLUSIVA (RENDIMENTO LÍQUIDO)");
        else if (c == u"8")
            value = QStringLiteral("6. INFORMAÇÕES COMPLEMENTARES");
    });
    t.setTextHandler(u"QRDBText10", [](QString& value) {
        value = QStringLiteral("0") + value.mid(1, 1) + QStringLiteral(".");
    });
    t.setTextHandler(u"QRLabel20", [](QString& value) { value = QStringLiteral("JOSÉ DA SILVA"); });
    return t;
}

report::RunContext benchContext()
{
    report::RunContext context;
    context.date = QDate(2000, 2, 28);
    context.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
    context.betweenRows = [] {
        return true;
    };
    return context;
}

struct Times {
    double wall;
    double cpu; // all threads
};

double processorSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

Times timed(const std::function<void()>& job)
{
    QElapsedTimer timer;
    const double cpu = processorSeconds();
    timer.start();
    job();
    return {double(timer.nsecsElapsed()) / 1e9, processorSeconds() - cpu};
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    int employees = 20000;
    int qtPages = 1000;
    QString out = QDir::temp().filePath(QStringLiteral("bench_report.pdf"));
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--employees")
            employees = args[i + 1].toInt();
        else if (args[i] == u"--out")
            out = args[i + 1];
        else if (args[i] == u"--qt-pages")
            qtPages = args[i + 1].toInt();
    }

    GeneratedDataSet data(employees);
    const report::ReportTemplate report = benchTemplate(data);
    const report::RunContext context = benchContext();
    std::printf("data set: %d employees, %d rows\n", employees, data.recordCount());

    // Composition alone; the heap it leaves in use is the store's.
    const std::size_t heapBefore = heapInUse();
    auto store = std::make_unique<report::PageStore>();
    QElapsedTimer timer;
    qint64 firstPageNs = -1;
    QObject::connect(store.get(), &report::PageStore::pageAvailable, [&](int n) {
        if (n == 1)
            firstPageNs = timer.nsecsElapsed();
    });
    timer.start();
    report::compose(report, data, *store, context);
    const std::size_t heapAfter = heapInUse();
    const int pages = store->finishedCount();
    std::printf("pages: %d\n", pages);
    std::printf("first page ready:        %8.3f ms after the run began\n", firstPageNs / 1e6);
    std::printf("page store memory:       %8.0f bytes/page measured (%.0f estimated)\n",
                double(heapAfter - heapBefore) / pages, double(store->memoryUsage()) / pages);

    // Best of three: the machine may be busy with other work.
    const auto measure = [&](const char* what, const std::function<void()>& job) {
        Times best{1e9, 1e9};
        for (int i = 0; i < 3; ++i) {
            const Times t = timed(job);
            best.wall = std::min(best.wall, t.wall);
            best.cpu = std::min(best.cpu, t.cpu);
        }
        std::printf("%-24s %8.0f pages/s (%.3f s; %.3f s of processor time)\n", what,
                    pages / best.wall, best.wall, best.cpu);
    };
    measure("composition:", [&] {
        report::PageStore s;
        report::compose(report, data, s, context);
    });
    measure("PDF writing:", [&] { report::writePdf(*store, out); });
    measure("composition + PDF:", [&] {
        report::PageStore s;
        report::compose(report, data, s, context);
        report::writePdf(s, out);
    });
    const qint64 pdfBytes = QFileInfo(out).size();
    std::printf("PDF size:                %8.0f bytes/page (%lld bytes, %s)\n",
                double(pdfBytes) / pages, pdfBytes, qPrintable(out));

    // One small file per statement, as an export per employee does: the fixed cost of a file.
    {
        const int files = std::min(500, pages);
        const QString one = QDir::temp().filePath(QStringLiteral("bench_report_one.pdf"));
        const Times t = timed([&] {
            for (int n = 1; n <= files; ++n) {
                report::PdfOptions options;
                options.firstPage = n;
                options.lastPage = n;
                report::writePdf(*store, one, options);
            }
        });
        std::printf("one-page PDF files:      %8.0f files/s (%.0f bytes each)\n", files / t.wall,
                    double(QFileInfo(one).size()));
        QFile::remove(one);
    }

    // For comparison: the same pages through the renderer onto Qt's own PDF engine.
    if (qtPages > 0) {
        const int n = std::min(qtPages, pages);
        const QString qtOut = QDir::temp().filePath(QStringLiteral("bench_report_qt.pdf"));
        timer.restart();
        {
            QPdfWriter writer(qtOut);
            writer.setResolution(1200);
            report::printPages(*store, writer, 1, n);
        }
        const double qtSeconds = double(timer.nsecsElapsed()) / 1e9;
        std::printf("renderer on QPdfWriter:  %8.0f pages/s, %.0f bytes/page (first %d pages)\n",
                    n / qtSeconds, double(QFileInfo(qtOut).size()) / n, n);
        QFile::remove(qtOut);
    }
    return 0;
}
