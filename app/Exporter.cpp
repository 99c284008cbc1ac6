#include "app/Exporter.h"

#include "app/StatementJob.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Application.h"
#include "platform/Drives.h"
#include "report/PdfWriter.h"
#include "report/ReportFonts.h"
#include "report/UInforme.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace {

// The drive letter under which the folder is mapped for the run.
constexpr char kDrive = 'P';

// A private drive map holding one drive, the payroll folder, for the life of the run.
class PayrollDriveMapping {
public:
    explicit PayrollDriveMapping(const std::filesystem::path& root)
    {
        if (const char* old = std::getenv("WINEPREFIX"))
            m_oldPrefix = old;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "radaziz-export-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("Cannot create a temporary folder");
        m_prefix = pattern;
        std::filesystem::create_directories(m_prefix / "dosdevices");
        std::filesystem::create_directory_symlink(std::filesystem::absolute(root),
                                                  m_prefix / "dosdevices" /
                                                      std::string{char(kDrive + 32), ':'});
        setenv("WINEPREFIX", m_prefix.c_str(), 1);
    }
    ~PayrollDriveMapping()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_prefix, ec);
        if (m_oldPrefix)
            setenv("WINEPREFIX", m_oldPrefix->c_str(), 1);
        else
            unsetenv("WINEPREFIX");
    }
    PayrollDriveMapping(const PayrollDriveMapping&) = delete;
    PayrollDriveMapping& operator=(const PayrollDriveMapping&) = delete;

private:
    std::filesystem::path m_prefix;
    std::optional<std::string> m_oldPrefix;
};

class ProgressBar {
public:
    ProgressBar()
        : m_enabled(isatty(STDERR_FILENO))
    {
    }
    ~ProgressBar() { finish(); }
    void show(int percent)
    {
        if (!m_enabled || percent == m_last)
            return;
        m_last = percent;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled,
                     "########################################", 40 - filled, "", percent);
        std::fflush(stderr);
    }
    void finish()
    {
        if (m_enabled && m_last >= 0) {
            std::fputc('\n', stderr);
            m_last = -1;
        }
    }

private:
    bool m_enabled;
    int m_last = -1;
};

struct Statement {
    int firstPage;
    QString fileName;
};

} // namespace

QString exportUsage()
{
    return QStringLiteral("Uso: radaziz-export --drive PASTA --responsavel NOME --out ARQUIVO.pdf "
                          "[--per-employee PASTA]");
}

std::optional<ExportOptions> parseExportArguments(const QStringList& arguments, QString& error)
{
    ExportOptions o;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString* target = nullptr;
        if (a == QLatin1String("--drive"))
            target = &o.drive;
        else if (a == QLatin1String("--responsavel"))
            target = &o.responsavel;
        else if (a == QLatin1String("--out"))
            target = &o.out;
        else if (a == QLatin1String("--per-employee"))
            target = &o.perEmployee;
        if (!target) {
            error = QStringLiteral("Opção desconhecida: %1").arg(a);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("Falta o valor de %1").arg(a);
            return std::nullopt;
        }
        *target = arguments[++i];
    }
    if (o.drive.isEmpty() || o.out.isEmpty()) {
        error = QStringLiteral("--drive e --out são obrigatórios");
        return std::nullopt;
    }
    return o;
}

QString statementFileName(const QString& company, const QString& employee, const QString& name)
{
    QString plain;
    for (QChar c : name.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber() && c.unicode() < 128)
            plain += c;
        else if (c.isSpace() || c == QLatin1Char('-') || c == QLatin1Char('.'))
            plain += QLatin1Char('_');
    }
    while (plain.contains(QLatin1String("__")))
        plain.replace(QLatin1String("__"), QLatin1String("_"));
    if (plain.endsWith(QLatin1Char('_')))
        plain.chop(1);
    return company.trimmed() + QLatin1Char('_') + employee.trimmed() + QLatin1Char('_') + plain +
           QStringLiteral(".pdf");
}

int runExport(const ExportOptions& options)
{
    ProgressBar progress;
    try {
        const std::filesystem::path root = options.drive.toStdString();
        if (!std::filesystem::is_directory(root))
            throw std::runtime_error("Pasta não encontrada: " + options.drive.toStdString());
        PayrollDriveMapping mapping(root);

        report::installFontSubstitutions();
        StatementJob job(kDrive, [&] { return options.responsavel; });
        db::Query SQL;
        db::Table IR;
        db::Table DIRF;
        const std::unique_ptr<TQRInforme> owned = job.run(SQL, IR, DIRF);
        TQRInforme& report = *owned;
        QObject::connect(report.QRPrinter, &report::PageStore::progressChanged,
                         [&](int percent) { progress.show(percent); });

        std::vector<Statement> statements;
        report.composePages({}, [&](int page) {
            statements.push_back(
                {page, statementFileName(QString::fromStdString(report.FunEP_CODIGO.asString()),
                                         QString::fromStdString(report.FunFU_CODIGO.asString()),
                                         QString::fromStdString(report.FunFU_NOME.asString()))});
        });
        progress.finish();
        report.Fun.close();

        const int pages = report.QRPrinter->finishedCount();
        if (pages == 0)
            throw std::runtime_error("Nenhum informe a imprimir nesse Drive");
        report::PdfOptions pdf;
        pdf.title = report.Template.title;
        report::writePdf(*report.QRPrinter, options.out, pdf);

        if (!options.perEmployee.isEmpty()) {
            QDir dir(options.perEmployee);
            if (!dir.mkpath(QStringLiteral(".")))
                throw std::runtime_error("Não foi possível criar a pasta " +
                                         options.perEmployee.toStdString());
            for (std::size_t i = 0; i < statements.size(); ++i) {
                pdf.firstPage = statements[i].firstPage;
                pdf.lastPage = i + 1 < statements.size() ? statements[i + 1].firstPage - 1 : pages;
                report::writePdf(*report.QRPrinter, dir.filePath(statements[i].fileName), pdf);
            }
        }
        return 0;
    } catch (const std::exception& e) {
        progress.finish();
        const QString shown = platform::exceptionDisplayText(QString::fromUtf8(e.what()));
        std::fprintf(stderr, "radaziz-export: %s\n", shown.toUtf8().constData());
        return 1;
    }
}
