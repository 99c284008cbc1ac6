#include "app/Exporter.h"

#include "app/StatementJob.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Application.h"
#include "platform/Drives.h"
#include "report/UInforme.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportFonts.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace {

// The drive letter under which the folder is mapped for the run.
constexpr char kDrive = 'P';

namespace fs = std::filesystem;

// The folder is drive P: for the run, and the only drive.
class PayrollDriveMapping {
public:
    explicit PayrollDriveMapping(const fs::path& root)
        : m_old(platform::setDriveMap(platform::DriveMap{{kDrive, root}}))
    {
    }
    ~PayrollDriveMapping() { platform::setDriveMap(std::move(m_old)); }
    PayrollDriveMapping(const PayrollDriveMapping&) = delete;
    PayrollDriveMapping& operator=(const PayrollDriveMapping&) = delete;

private:
    std::optional<platform::DriveMap> m_old;
};

std::string text(const QString& s)
{
    return s.toStdString();
}

// Where the payroll system keeps its own files: the drive's root, FP and dirf99 (which holds
// the raw withholding table). Nothing is written there.
bool isPayrollFolder(const fs::path& folder, const fs::path& drive)
{
    std::error_code ec;
    const fs::path dir = fs::weakly_canonical(folder, ec);
    const fs::path root = fs::weakly_canonical(drive, ec);
    if (dir == root)
        return true;
    const fs::path relative = dir.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..")
        return false;
    const std::string top = relative.begin()->string();
    return platform::sameNameIgnoringCase(top, "FP") ||
           platform::sameNameIgnoringCase(top, "dirf99");
}

// The PDF of every page may be written at `file` only if nothing but a regular file stands
// there, and not in a folder of the payroll system.
void checkOutputFile(const QString& given, const fs::path& drive)
{
    const fs::path file = fs::absolute(given.toStdString());
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw std::runtime_error("Não é um arquivo comum, nada foi gravado: " + file.string());
    if (!fs::is_directory(file.parent_path(), ec))
        throw std::runtime_error("A pasta não existe: " + file.parent_path().string());
    if (isPayrollFolder(file.parent_path(), drive))
        throw std::runtime_error("O PDF não pode ser gravado nas pastas da folha de pagamento: " +
                                 file.string());
    // The folder must take a new file: better said now than after the whole run.
    QTemporaryFile probe(QString::fromStdString(file.string()) + QStringLiteral(".XXXXXX"));
    if (!probe.open())
        throw std::runtime_error("Não foi possível gravar o arquivo " + file.string() + ": " +
                                 probe.errorString().toStdString());
}

// Creates the folder for one PDF per statement if it is missing.
void preparePerEmployeeFolder(const QString& given, const fs::path& drive)
{
    const fs::path dir = fs::absolute(given.toStdString());
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(dir, ec);
    if (fs::exists(status) && !fs::is_directory(status))
        throw std::runtime_error("Não é uma pasta: " + dir.string());
    if (isPayrollFolder(dir, drive))
        throw std::runtime_error(
            "Os PDFs não podem ser gravados nas pastas da folha de pagamento: " + dir.string());
    if (!fs::exists(status)) {
        fs::create_directories(dir, ec);
        if (ec)
            throw std::runtime_error("Não foi possível criar a pasta " + dir.string() + ": " +
                                     ec.message());
    }
}

// Engine messages name paths on drive P:; the user knows the folder they gave.
QString withRealPaths(QString message, const fs::path& drive)
{
    if (drive.empty())
        return message;
    const PayrollDriveMapping mapping(drive);
    static const QRegularExpression dosPath(QStringLiteral("\\b[Pp]:\\\\[^\\s\"']*"));
    QString out;
    qsizetype from = 0;
    for (auto it = dosPath.globalMatch(message); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString rest = m.captured().mid(3);
        // A message's closing full stop or bracket is not part of the path.
        while (!rest.isEmpty() && QStringLiteral(".,;:)").contains(rest.back()))
            rest.chop(1);
        const platform::ResolvedPath resolved =
            platform::resolvePath(("P:\\" + rest).toStdString());
        const fs::path real = resolved.path.empty()
                                  ? drive / fs::path(rest.replace(u'\\', u'/').toStdString())
                                  : resolved.path;
        out += message.mid(from, m.capturedStart() - from) + QString::fromStdString(real.string());
        from = m.capturedStart() + 3 + rest.size();
    }
    return out + message.mid(from);
}

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

// A part of a file name in plain letters, digits and underscores: accents dropped, blanks
// and punctuation made underscores, never empty and never leading the name out of its folder.
QString safeNamePart(const QString& part)
{
    QString plain;
    for (QChar c : part.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() < 128 && c.isLetterOrNumber())
            plain += c;
        else if (c.isSpace() || c.isPunct() || c.isSymbol())
            plain += QLatin1Char('_');
    }
    while (plain.contains(QLatin1String("__")))
        plain.replace(QLatin1String("__"), QLatin1String("_"));
    while (plain.startsWith(QLatin1Char('_')))
        plain.remove(0, 1);
    while (plain.endsWith(QLatin1Char('_')))
        plain.chop(1);
    return plain.isEmpty() ? QStringLiteral("0") : plain;
}

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
    return safeNamePart(company) + QLatin1Char('_') + safeNamePart(employee) + QLatin1Char('_') +
           safeNamePart(name) + QStringLiteral(".pdf");
}

static QString uniqueFileName(const QString& name, QSet<QString>& taken)
{
    const QString base = name.chopped(4); // ".pdf"
    QString candidate = name;
    for (int n = 2; taken.contains(candidate.toCaseFolded()); ++n)
        candidate = QStringLiteral("%1-%2.pdf").arg(base).arg(n);
    taken.insert(candidate.toCaseFolded());
    return candidate;
}

int runExport(const ExportOptions& options)
{
    ProgressBar progress;
    fs::path root;
    try {
        root = fs::absolute(options.drive.toStdString());
        std::error_code ec;
        if (!fs::is_directory(root, ec))
            throw std::runtime_error("Pasta não encontrada: " + root.string());
        // Refused before the pass, so that a bad output path costs nothing.
        checkOutputFile(options.out, root);
        if (!options.perEmployee.isEmpty())
            preparePerEmployeeFolder(options.perEmployee, root);
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
        report::writePdf(*report.QRPrinter,
                         QString::fromStdString(fs::absolute(text(options.out)).string()), pdf);

        if (!options.perEmployee.isEmpty()) {
            const fs::path dir = fs::absolute(text(options.perEmployee));
            QSet<QString> taken;
            for (std::size_t i = 0; i < statements.size(); ++i) {
                const QString& wanted = statements[i].fileName;
                QString name = uniqueFileName(wanted, taken);
                // Only a regular file of the same name is replaced.
                for (fs::file_status s; fs::exists(s = fs::symlink_status(dir / text(name), ec)) &&
                                        !fs::is_regular_file(s);)
                    name = uniqueFileName(wanted, taken);
                if (name != wanted) {
                    std::fprintf(stderr,
                                 "radaziz-export: o nome %s já estava em uso; o informe da "
                                 "página %d foi gravado como %s\n",
                                 wanted.toUtf8().constData(), statements[i].firstPage,
                                 name.toUtf8().constData());
                }
                pdf.firstPage = statements[i].firstPage;
                pdf.lastPage = i + 1 < statements.size() ? statements[i + 1].firstPage - 1 : pages;
                report::writePdf(*report.QRPrinter,
                                 QString::fromStdString((dir / text(name)).string()), pdf);
            }
        }
        return 0;
    } catch (const std::exception& e) {
        progress.finish();
        const QString shown =
            platform::exceptionDisplayText(withRealPaths(QString::fromUtf8(e.what()), root));
        std::fprintf(stderr, "radaziz-export: %s\n", shown.toUtf8().constData());
        return 1;
    }
}
