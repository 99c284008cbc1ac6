#include "app/Exporter.h"
#include "sample/DriveBuilder.h"
#include "sample/SampleDrive.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

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
    EXPECT_EQ(run.errors.trimmed(), QStringLiteral("radaziz-export: Field 'IR_VALE' not found."));
    EXPECT_TRUE(std::filesystem::exists(dir / "novale" / "DIRF99" / "IR.DB"))
        << "the work table stays as the pass left it";
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));

    run = exportDrive({"--drive", path(dir / "novale")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("Uso: radaziz-export")));
}

TEST(Exporter, StatementFileNames)
{
    EXPECT_EQ(statementFileName("01", "00001", QStringLiteral("JOÃO DA CONCEIÇÃO")),
              QStringLiteral("01_00001_JOAO_DA_CONCEICAO.pdf"));
    EXPECT_EQ(statementFileName("02", "00010", QStringLiteral("D'ÁVILA / SÁ")),
              QStringLiteral("02_00010_DAVILA_SA.pdf"));
}
