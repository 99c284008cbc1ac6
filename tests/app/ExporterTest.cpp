#include "app/Exporter.h"
#include "sample/DriveBuilder.h"
#include "sample/SampleDrive.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct ExportRun {
    int exitCode = -1;
    QString errors;
};

ExportRun exportDrive(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(RADAZIZ_EXPORT_PATH), arguments);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString path(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

} // namespace

TEST(Exporter, SampleDriveToPdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TempDir dir;
    sample::writeSampleDrive(dir / "drive");
    const ExportRun run = exportDrive(
        {"--drive", path(dir / "drive"), "--responsavel", QStringLiteral("JOSÉ DA SILVA"), "--out",
         path(dir / "all.pdf"), "--per-employee", path(dir / "each")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.isEmpty()) << run.errors.toStdString();

    const QString text = pdfText(path(dir / "all.pdf"));
    for (const char* expected :
         {"COMPROVANTE DE RENDIMENTOS PAGOS E DE", "RETENÇÃO DE IMPOSTO DE RENDA NA FONTE",
          "ANO CALENDÁRIO 1999", "7. RESPONSÁVEL PELAS INFORMAÇÕES", "JOSÉ DA SILVA",
          "CONFECÇÕES ARAGUAIA LTDA", "5. RENDIMENTOS SUJEITOS À TRIBUTAÇÃO"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("09\\.\\s+DEPENDENTES"))));

    // One file per statement, named after company, employee and name.
    const QStringList each = QDir(path(dir / "each")).entryList({"*.pdf"}, QDir::Files, QDir::Name);
    EXPECT_EQ(each.size(), 40) << "every employee of the payroll with withholding";
    ASSERT_FALSE(each.isEmpty());
    EXPECT_TRUE(each.first().startsWith(QStringLiteral("01_00001_"))) << each.first().toStdString();
    EXPECT_FALSE(each.join(' ').contains(QStringLiteral("03_00099"))) << "not in the payroll";
}

TEST(Exporter, ErrorsGoToStandardErrorWithTheMessageBoxText)
{
    testsupport::TempDir dir;
    sample::DriveBuilder drive;
    drive.addCompany({"01", "EMPRESA"});
    drive.skip(sample::DriveFile::Marker);
    drive.write(dir / "nomarker");
    ExportRun run = exportDrive({"--drive", path(dir / "nomarker"), "--out", path(dir / "x.pdf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.trimmed(),
              QStringLiteral("radaziz-export: Sistema Quor nao instalado nesse Drive."));

    sample::DriveBuilder noVale;
    noVale.omitColumn(sample::DriveFile::RawTable, "IR_VALE");
    noVale.write(dir / "novale");
    run = exportDrive({"--drive", path(dir / "novale"), "--out", path(dir / "x.pdf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.trimmed(), QStringLiteral("radaziz-export: Field 'IR_VALE' not found: %1.")
                                        .arg(path(dir / "novale" / "DIRF99" / "ir_cru.dbf")));
    EXPECT_TRUE(std::filesystem::exists(dir / "novale" / "DIRF99" / "IR.DB"))
        << "the work table stays as the pass left it";
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));

    run = exportDrive({"--drive", path(dir / "novale")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("Uso: radaziz-export")));
}

TEST(Exporter, StatementFileNamesStayInsideTheirFolder)
{
    struct Case {
        QString company, employee, name, file;
    };
    const Case cases[] = {
        {"01", "00001", QStringLiteral("JOÃO DA CONCEIÇÃO"), "01_00001_JOAO_DA_CONCEICAO.pdf"},
        {"02", "00010", QStringLiteral("D'ÁVILA / SÁ"), "02_00010_D_AVILA_SA.pdf"},
        {"/", "00001", "JOAO", "0_00001_JOAO.pdf"},
        {"/../.", "..", "JOAO", "0_0_JOAO.pdf"},
        {" 1", "00001", "JOAO", "1_00001_JOAO.pdf"},
        {"1", "0\\1", "", "1_0_1_0.pdf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(statementFileName(c.company, c.employee, c.name), c.file)
            << c.company.toStdString();
}

TEST(Exporter, HelpIsNotAnError)
{
    QProcess p;
    p.start(QStringLiteral(RADAZIZ_EXPORT_PATH), {QStringLiteral("--help")});
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).startsWith("Uso: radaziz-export"));
}

// What the exporter must never write over or into, whatever it is told.
TEST(Exporter, RefusesOutputsThatAreNotItsOwn)
{
    testsupport::TempDir dir;
    sample::writeSampleDrive(dir / "drive");
    const auto drive = dir / "drive";
    const std::string payrollTable = testsupport::readFile(drive / "FP" / "FP_FUN.DBF");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);

    struct Case {
        QStringList arguments;
        const char* message;
    };
    const QString d = path(drive);
    const Case cases[] = {
        {{"--out", path(drive / "FP" / "FP_FUN.DBF")}, "pastas da folha de pagamento"},
        {{"--out", path(drive / "stmt.pdf")}, "pastas da folha de pagamento"},
        {{"--out", path(drive / "DIRF99" / "ir_cru.dbf")}, "pastas da folha de pagamento"},
        {{"--out", path(dir / "folder")}, "Não é um arquivo comum"},
        {{"--out", path(dir / "pipe")}, "Não é um arquivo comum"},
        {{"--out", path(dir / "missing" / "x.pdf")}, "A pasta não existe"},
        {{"--out", "/proc/x.pdf"}, "Não foi possível gravar o arquivo /proc/x.pdf: "},
        {{"--out", path(dir / "ok.pdf"), "--per-employee", path(drive / "fp")},
         "pastas da folha de pagamento"},
        {{"--out", path(dir / "ok.pdf"), "--per-employee", d}, "pastas da folha de pagamento"},
        {{"--out", path(dir / "ok.pdf"), "--per-employee", path(dir / "pipe")}, "Não é uma pasta"},
    };
    for (const Case& c : cases) {
        const ExportRun run =
            exportDrive(QStringList{"--drive", d, "--responsavel", "ANA"} + c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.message))) << run.errors.toStdString();
    }
    EXPECT_EQ(testsupport::readFile(drive / "FP" / "FP_FUN.DBF"), payrollTable);
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ok.pdf")) << "refused before any work";
    const QStringList payrollFiles = QDir(path(drive / "FP")).entryList(QDir::Files);
    EXPECT_FALSE(payrollFiles.join(' ').contains(".pdf"));
}

TEST(Exporter, StatementsWhoseNamesCollideAreBothKept)
{
    testsupport::TempDir dir;
    sample::DriveBuilder drive;
    drive.addCompany({" 1", "EMPRESA A"});
    drive.addCompany({"1", "EMPRESA B"});
    drive.addEmployee({" 1", "00001", "JOAO", "12345678909"});
    drive.addEmployee({"1", "00001", "JOAO", "11144477735"});
    drive.addIncomeCode({"41", "TOTAL"});
    sample::RawRecord a{" 1", "00001", "41"};
    a.months[0] = 100;
    sample::RawRecord b{"1", "00001", "41"};
    b.months[0] = 200;
    drive.addRawRecord(a);
    drive.addRawRecord(b);
    drive.write(dir / "drive");
    const ExportRun run =
        exportDrive({"--drive", path(dir / "drive"), "--responsavel", "ANA", "--out",
                     path(dir / "all.pdf"), "--per-employee", path(dir / "each")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(QDir(path(dir / "each")).entryList(QDir::Files, QDir::Name),
              QStringList({"1_00001_JOAO-2.pdf", "1_00001_JOAO.pdf"}));
    EXPECT_TRUE(run.errors.contains("1_00001_JOAO-2.pdf")) << "the clerk is told";
}

TEST(Exporter, MessagesNameTheFolderTheUserGave)
{
    testsupport::TempDir dir;
    sample::DriveBuilder drive;
    drive.skip(sample::DriveFile::RawTable);
    drive.write(dir / "drive");
    const ExportRun run = exportDrive(
        {"--drive", path(dir / "drive"), "--responsavel", "ANA", "--out", path(dir / "x.pdf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(path(dir / "drive" / "DIRF99" / "ir_cru.dbf")) ||
                run.errors.contains(path(dir / "drive" / "dirf99" / "ir_cru.dbf")))
        << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("P:\\")) << run.errors.toStdString();
}
