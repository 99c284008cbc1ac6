#include "ReportTestSupport.h"

#include "report/PageRenderer.h"
#include "report/PageStore.h"
#include "report/PdfWriter.h"
#include "report/ReportError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <vector>

using namespace report;
using namespace reporttest;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                             QStringLiteral("-layout"), file, QStringLiteral("-")});
}

// Where pdftotext finds each word: "page:word" → top left corners, in points, sorted.
std::map<QString, std::vector<QPointF>> wordPositions(const QString& file)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                          QStringLiteral("-bbox"), file, QStringLiteral("-")});
    std::map<QString, std::vector<QPointF>> words;
    int page = 0;
    static const QRegularExpression word(
        QString::fromLatin1(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    for (const QString& line : html.split(u'\n')) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const auto m = word.match(line);
        if (m.hasMatch())
            words[QStringLiteral("%1:%2").arg(page).arg(m.captured(3))].emplace_back(
                m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    for (auto& [key, places] : words)
        std::sort(places.begin(), places.end(), [](const QPointF& a, const QPointF& b) {
            return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
        });
    return words;
}

PdfOptions pages(int first, int last)
{
    PdfOptions o;
    o.firstPage = first;
    o.lastPage = last;
    return o;
}

class PdfWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        QStringList codes;
        for (int i = 0; i < 13; ++i)
            codes << QStringLiteral("4%1").arg(i % 10);
        addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), codes);
        addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("61")});
        data.row(13)[QStringLiteral("FU_NOME")] = QStringLiteral("JOÃO AÇAÍ ÑANDU");
        composeStatements(data, store);
        ASSERT_EQ(store.finishedCount(), 3);
    }

    QString file(const char* name) const { return QString::fromStdString((dir / name).string()); }

    testsupport::TempDir dir;
    FakeDataSet data;
    PageStore store;
};

TEST_F(PdfWriterTest, TextComesBackWithItsAccents)
{
    const QString pdf = file("all.pdf");
    PdfOptions options;
    options.title = QStringLiteral("Radaziz");
    writePdf(store, pdf, options);
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count(u'\f'), 3);
    for (const char* expected :
         {"COMPROVANTE DE RENDIMENTOS PAGOS E DE", "RETENÇÃO DE IMPOSTO DE RENDA NA FONTE",
          "ANO CALENDÁRIO 1999", "Ministério da Fazenda", "Endereço",
          "1. FONTE PAGADORA PESSOA JURÍDICA OU PESSOA FÍSICA", "7. RESPONSÁVEL PELAS INFORMAÇÕES",
          "JOSÉ DA SILVA", "07/03/1999", "JOÃO AÇAÍ ÑANDU", "1.234,50"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    }
}

TEST_F(PdfWriterTest, WritesAPageRange)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writePdf(store, buffer, pages(3, 3));
    const QString pdf = file("range.pdf");
    testsupport::writeFile(dir / "range.pdf", buffer.data().toStdString());
    const QString text = pdfText(pdf);
    EXPECT_EQ(text.count(u'\f'), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("JOÃO AÇAÍ ÑANDU")));
    EXPECT_FALSE(text.contains(QStringLiteral("FUNCIONÁRIO E1")));

    EXPECT_THROW(writePdf(store, buffer, pages(4, -1)), ReportError);
    EXPECT_THROW(writePdf(store, file("none/x.pdf")), ReportError);
}

// The writer lays text out itself; it must put every word where the renderer, through Qt's
// own PDF engine, does.
TEST_F(PdfWriterTest, PagesLookAsTheRendererDrawsThem)
{
    const QString ours = file("ours.pdf");
    const QString qt = file("qt.pdf");
    writePdf(store, ours);
    {
        QPdfWriter writer(qt);
        writer.setResolution(1200);
        printPages(store, writer);
    }
    const auto a = wordPositions(ours);
    const auto b = wordPositions(qt);
    ASSERT_GT(a.size(), 100u);
    ASSERT_EQ(a.size(), b.size());
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
        ASSERT_EQ(i->first, j->first);
        ASSERT_EQ(i->second.size(), j->second.size()) << i->first.toStdString();
        for (std::size_t k = 0; k < i->second.size(); ++k) {
            const QPointF p = i->second[k];
            const QPointF q = j->second[k];
            // Qt's engine rounds glyph sizes to its 1200 dpi pixels (up to 0.25% in width);
            // ours are exact, so words drift apart a little along a line.
            EXPECT_NEAR(p.x(), q.x(), 0.3 + 0.0025 * p.x()) << i->first.toStdString();
            EXPECT_NEAR(p.y(), q.y(), 0.3) << i->first.toStdString();
        }
    }
}

TEST_F(PdfWriterTest, FontsAndEmblemAreWrittenOnce)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writePdf(store, buffer);
    const QByteArray pdf = buffer.data();
    EXPECT_EQ(pdf.count("/Subtype/Image"), 1);
    // Regular and bold: every font and size of the template falls on these two faces.
    EXPECT_EQ(pdf.count("/FontFile2"), 2);
    EXPECT_EQ(pdf.count("/Type/Page/"), 3);
}

} // namespace
