#include "report/UInforme.h"
#include "db/DbError.h"
#include "db/Query.h"
#include "db/Table.h"
#include "platform/Cursor.h"
#include "prep/MontaTabelaIR.h"
#include "report/FieldDisplay.h"
#include "sample/DriveBuilder.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

namespace {

using sample::Company;
using sample::Employee;
using sample::IncomeCode;
using sample::RawRecord;

const QLocale kBrazil(QLocale::Portuguese, QLocale::Brazil);

RawRecord rawLine(std::string company, std::string employee, std::string code, double amount)
{
    RawRecord r;
    r.company = std::move(company);
    r.employee = std::move(employee);
    r.code = std::move(code);
    r.months[0] = amount;
    return r;
}

class ReportOnDrive : public ::testing::Test {
protected:
    void SetUp() override { root = drives.addDrive('C'); }

    // Writes the drive, runs the preparation pass and opens the report's data set.
    void open(const sample::DriveBuilder& drive)
    {
        drive.write(root);
        db::Query sql;
        db::Table ir, dirf;
        prep::MontaTabelaIR('C', sql, ir, dirf);
        report = std::make_unique<TQRInforme>(nullptr, ReportHost{[] { return 'C'; },
                                                                  [this] {
                                                                      return responsible;
                                                                  }});
        report->locale = kBrazil;
        report->Fun.open();
    }

    // "name code" for every row of the data set.
    std::vector<std::string> rows()
    {
        std::vector<std::string> out;
        for (report->Fun.first(); !report->Fun.eof(); report->Fun.next())
            out.push_back(report->FunFU_NOME.asString() + " " + report->FunIN_CODIGO.asString());
        return out;
    }

    static sample::DriveBuilder basicDrive()
    {
        sample::DriveBuilder d;
        d.addCompany({"01", "PADARIA SÃO JOSÉ LTDA", "RUA DAS FLORES, 10", "SÃO PAULO", "SP",
                      "12345678000195", "", "0112345678"});
        d.addEmployee({"01", "00001", "MARIA", "12345678909"});
        d.addEmployee({"01", "00009", "ANA", "11144477735"});
        d.addIncomeCode({"41", "TOTAL DOS RENDIMENTOS"});
        d.addIncomeCode({"89", "INFORMAÇÃO"});
        d.addIncomeCode({"90", "BASE DE CÁLCULO"});
        return d;
    }

    testsupport::FakeDrives drives;
    std::filesystem::path root;
    QString responsible = QStringLiteral("JOSÉ DA SILVA");
    std::unique_ptr<TQRInforme> report;
};

} // namespace

TEST(UInforme, QueryTextPointsAtTheChosenDrive)
{
    for (char drive : {'C', 'J'}) {
        SCOPED_TRACE(drive);
        TQRInforme r(nullptr, {[drive] { return drive; },
                               [] {
                                   return QString();
                               }});
        const std::string before = r.Fun.sqlText();
        r.FunBeforeOpen(r.Fun);
        const std::string after = r.Fun.sqlText();
        std::string expected = before;
        for (std::size_t at = expected.find("J:\\"); at != std::string::npos;
             at = expected.find("J:\\", at + 1))
            expected[at] = drive;
        EXPECT_EQ(after, expected) << "no other character changes";
        EXPECT_EQ(r.Fun.sql().size(), 11u);
        for (const char* path : {":\\fp\\FP_EMP.DBF\"", ":\\fp\\FP_FUN.DBF\"", ":\\DIRF99\\IR.DB\"",
                                 ":\\fp\\FP_INF.DBF\""})
            EXPECT_NE(after.find(std::string(1, drive) + path), std::string::npos) << path;
    }
}

TEST(UInforme, DisplayMasksAndAmounts)
{
    struct Case {
        const char* mask;
        const char* stored;
        const char* shown;
    };
    const Case masks[] = {
        {"00\\.000\\.000\\/0000\\-00;0;_", "12345678000190", "12.345.678/0001-90"},
        {"00\\.000\\.000\\/0000\\-00;0;_", "", "  .   .   /    -  "},
        {"00\\.000\\.000\\/0000\\-00;0;_", "1234", "12.34 .   /    -  "},
        {"999\\.999\\.999\\-99;0;_", "12345678901", "123.456.789-01"},
        {"\\(999\\)9000-0000;0;_", "0112345678", "(011)2345-678 "},
        {"999.999.999-99;1;_", "123.456.789-01", "123.456.789-01"},
    };
    for (const Case& c : masks)
        EXPECT_EQ(report::applyEditMask(c.mask, QString::fromUtf8(c.stored), kBrazil),
                  QString::fromUtf8(c.shown))
            << c.mask << " " << c.stored;

    struct Amount {
        double value;
        const char* shown;
    };
    const Amount amounts[] = {{1234.5, "1.234,50"},
                              {0, "0,00"},
                              {0.125, "0,13"},
                              {999.995, "1.000,00"},
                              {1234567.891, "1.234.567,89"},
                              {850, "850,00"},
                              {0.1, "0,10"},
                              {12345678901.5, "12.345.678.901,50"}};
    for (const Amount& a : amounts)
        EXPECT_EQ(report::formatAmount(a.value, kBrazil), QString::fromUtf8(a.shown)) << a.value;
    EXPECT_EQ(report::formatAmount(1234.5, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("1,234.50"));
}

TEST_F(ReportOnDrive, JoinFilterAndOrder)
{
    sample::DriveBuilder d = basicDrive();
    d.addCompany({"02", "OUTRA", "", "", "", "11222333000181"});
    d.addEmployee({"02", "00001", "ZÉ", ""});
    d.addEmployee({"01", "00003", "ÁLVARO", ""});
    d.addEmployee({"01", "00002", "MARIA", ""}); // same name as 00001
    for (const char* fu : {"00001", "00009", "00003", "00002"}) {
        d.addRawRecord(rawLine("01", fu, "41", 10));
        d.addRawRecord(rawLine("01", fu, "89", 10));
        d.addRawRecord(rawLine("01", fu, "90", 10));
    }
    d.addRawRecord(rawLine("01", "00009", "77", 5)); // no name in FP_INF
    d.addRawRecord(rawLine("01", "00777", "41", 5)); // employee missing from FP_FUN
    d.addRawRecord(rawLine("03", "00001", "41", 5)); // company missing from FP_EMP
    d.addRawRecord(rawLine("02", "00001", "41", 5));
    open(d);

    EXPECT_EQ(rows(),
              (std::vector<std::string>{"ÁLVARO 41", "ÁLVARO 89", "ANA 41", "ANA 77", "ANA 89",
                                        "MARIA 41", "MARIA 89", "MARIA 41", "MARIA 89", "ZÉ 41"}));
    EXPECT_EQ(report->Fun.recordCount(), 10);
    // The two MARIAs do not interleave: employee 00001 first.
    report->Fun.first();
    for (int i = 0; i < 5; ++i)
        report->Fun.next();
    EXPECT_EQ(report->FunFU_CODIGO.asString(), "00001");
    // A code that FP_INF does not hold prints with an empty name.
    report->Fun.first();
    report->Fun.next();
    report->Fun.next();
    report->Fun.next();
    EXPECT_EQ(report->FunIN_CODIGO.asString(), "77");
    EXPECT_TRUE(report->FunIN_NOME.isNull());
    EXPECT_EQ(report->displayText("IN_NOME"), QString());
}

TEST_F(ReportOnDrive, DisplayTextsOfARow)
{
    open([] {
        sample::DriveBuilder d = basicDrive();
        d.addRawRecord(rawLine("01", "00009", "41", 1234.5));
        return d;
    }());
    EXPECT_EQ(report->displayText("EP_NOME"), QStringLiteral("PADARIA SÃO JOSÉ LTDA"));
    EXPECT_EQ(report->displayText("EP_CGC"), QStringLiteral("12.345.678/0001-95"));
    EXPECT_EQ(report->displayText("EP_TELEFO"), QStringLiteral("(011)2345-678 "));
    EXPECT_EQ(report->displayText("FU_CPF"), QStringLiteral("111.444.777-35"));
    EXPECT_EQ(report->displayText("IR_TOTAL"), QStringLiteral("1.234,50"));
    EXPECT_EQ(report->displayText("IN_CODIGO"), QStringLiteral("41"));
}

TEST_F(ReportOnDrive, PayrollTablesOfOtherWidthsAreRefused)
{
    sample::DriveBuilder d = basicDrive();
    d.replaceColumn(sample::DriveFile::Employees, {"FU_NOME", 'C', 40});
    d.write(root);
    db::Query sql;
    db::Table ir, dirf;
    prep::MontaTabelaIR('C', sql, ir, dirf);
    TQRInforme r(nullptr, {[] { return 'C'; },
                           [] {
                               return QString();
                           }});
    try {
        r.Fun.open();
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_STREQ(
            e.what(),
            "Size mismatch for field 'FU_NOME', expecting: 30 actual: 40: C:\\fp\\FP_FUN.DBF");
    }
    std::filesystem::remove(sample::drivePath(root, sample::DriveFile::IncomeCodes));
    try {
        r.Fun.open();
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_STREQ(e.what(), "Table does not exist: C:\\fp\\FP_INF.DBF");
    }
}

TEST(UInforme, PrintTimeTexts)
{
    TQRInforme r(nullptr, {[] { return 'C'; },
                           [] {
                               return QStringLiteral("RESPONSÁVEL");
                           }});
    struct Line {
        const char* code;
        const char* shown;
    };
    const Line lines[] = {{"41", "01."}, {"43", "03."}, {"49", "09.   DEPENDENTES"},
                          {"4X", "0X."}, {"61", "01."}, {"4", "0."}};
    for (const Line& l : lines) {
        QString v = QString::fromLatin1(l.code);
        r.QRDBText10Print(v);
        EXPECT_EQ(v, QString::fromUtf8(l.shown)) << l.code;
    }

    QString name = QStringLiteral("QRLabel20");
    r.QRLabel20Print(name);
    EXPECT_EQ(name, QStringLiteral("RESPONSÁVEL"));

    platform::setScreenCursor(platform::ScreenCursor::SqlWait);
    bool print = true;
    r.QRInformeBeforePrint(print);
    EXPECT_TRUE(print);
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
}

TEST_F(ReportOnDrive, SectionTitlesAndPayerNumber)
{
    sample::DriveBuilder d;
    d.addCompany({"01", "EMPRESA", "", "", "", "12345678000195", "98765432100"});
    d.addCompany({"02", "PESSOA", "", "", "", "", "12345678901"});
    d.addCompany({"03", "PESSOA CURTA", "", "", "", "", "1234567"});
    d.addCompany({"04", "SEM NADA", "", "", "", "", ""});
    d.addCompany({"05", "PARCIAL", "", "", "", "1234", ""});
    for (const char* ep : {"01", "02", "03", "04", "05"})
        d.addEmployee({ep, "00001", "FULANO", ""});
    const char* codes[] = {"41", "51", "61", "71", "81"};
    for (const char* code : codes)
        d.addRawRecord(rawLine("01", "00001", code, 1));
    for (const char* ep : {"02", "03", "04", "05"})
        d.addRawRecord(rawLine(ep, "00001", "41", 1));
    open(d);

    std::vector<QString> titles;
    std::vector<QString> payer;
    for (report->Fun.first(); !report->Fun.eof(); report->Fun.next()) {
        QString title = QStringLiteral("X. XXXXXXXXXXXXXXXXXXXXXXXXXXXXX");
        report->QRLabel10Print(title);
        titles.push_back(title);
        QString number = report->displayText("EP_CGC");
        report->QRDBText3Print(number);
        payer.push_back(number);
    }
    ASSERT_EQ(titles.size(), 9u);
    EXPECT_EQ(titles[0],
              QStringLiteral("3. RENDIMENTOS TRIBUTÁVEIS, DEDUÇÕES E IMPOSTO RETIDO NA FONTE"));
    EXPECT_EQ(titles[1], QStringLiteral("4. RENDIMENTOS ISENTOS E NÃO TRIBUTÁVEIS"));
    EXPECT_EQ(
        titles[2],
        QStringLiteral("5. RENDIMENTOS SUJEITOS À TRIBUTAÇÃO EXCLUSIVA (RENDIMENTO LÍQUIDO)"));
    EXPECT_EQ(titles[3], QStringLiteral("X. XXXXXXXXXXXXXXXXXXXXXXXXXXXXX"));
    EXPECT_EQ(titles[4], QStringLiteral("6. INFORMAÇÕES COMPLEMENTARES"));
    EXPECT_EQ(payer[0], QStringLiteral("12.345.678/0001-95")) << "whatever EP_CPF holds";
    EXPECT_EQ(payer[5], QStringLiteral("123.456.789-01"));
    EXPECT_EQ(payer[6], QStringLiteral("123.456.7-"));
    EXPECT_EQ(payer[7], QStringLiteral("..-"));
    EXPECT_EQ(payer[8], QStringLiteral("12.34 .   /    -  "))
        << "a partly filled CNPJ keeps its mask";
}

TEST_F(ReportOnDrive, ComposesOneStatementPerEmployee)
{
    sample::DriveBuilder d = basicDrive();
    for (char second = 'A'; second < 'A' + 13; ++second)
        d.addRawRecord(rawLine("01", "00001", std::string{'4', second}, 1));
    d.addRawRecord(rawLine("01", "00009", "41", 1));
    open(d);
    std::vector<int> starts;
    EXPECT_EQ(report->composePages({}, [&](int page) { starts.push_back(page); }),
              report::RunResult::Completed);
    EXPECT_EQ(starts, (std::vector<int>{1, 2})) << "ANA on page 1, MARIA from page 2";
    EXPECT_EQ(report->QRPrinter->finishedCount(), 3) << "MARIA's 13 lines need two pages";

    // An empty data set gives no page.
    open(basicDrive());
    report->composePages();
    EXPECT_EQ(report->QRPrinter->finishedCount(), 0);
}
