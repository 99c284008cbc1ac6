#include "ReportTestSupport.h"

#include "report/engine/FaceData.h"
#include "report/engine/PageRenderer.h"
#include "report/engine/PageStore.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportError.h"
#include "report/engine/ReportFonts.h"
#include "report/engine/TextFit.h"
#include "report/engine/pdf/GlyphNames.h"

#include "support/Poppler.h"
#include "support/QtPrinting.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
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

bool succeeds(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString pdfText(const QString& file)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                             QStringLiteral("-layout"), file, QStringLiteral("-")});
}

struct Word {
    int page = 0;
    QString text;
    QRectF box; // in points, from the top left corner of the page
};

// The words pdftotext finds, in its order.
std::vector<Word> words(const QString& file)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                          QStringLiteral("-bbox"), file, QStringLiteral("-")});
    std::vector<Word> out;
    int page = 0;
    static const QRegularExpression word(QString::fromLatin1(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (const QString& line : html.split(u'\n')) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const auto m = word.match(line);
        if (m.hasMatch())
            out.push_back({page, m.captured(5),
                           QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return out;
}

// Where pdftotext finds each word: "page:word" → top left corners, in points, sorted.
std::map<QString, std::vector<QPointF>> wordPositions(const QString& file)
{
    std::map<QString, std::vector<QPointF>> words;
    for (const Word& w : ::words(file))
        words[QStringLiteral("%1:%2").arg(w.page).arg(w.text)].push_back(w.box.topLeft());
    for (auto& [key, places] : words)
        std::sort(places.begin(), places.end(), [](const QPointF& a, const QPointF& b) {
            return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
        });
    return words;
}

struct PdfObject {
    QByteArray dictionary;
    QByteArray content; // its stream, inflated if compressed
};

// The objects of a PDF as the writer lays them out, by number.
std::map<int, PdfObject> pdfObjects(const QByteArray& pdf)
{
    std::map<int, PdfObject> objects;
    for (qsizetype at = pdf.indexOf(" 0 obj\n"); at >= 0; at = pdf.indexOf(" 0 obj\n", at)) {
        qsizetype idStart = at;
        while (idStart > 0 && std::isdigit(static_cast<unsigned char>(pdf[idStart - 1])))
            --idStart;
        const qsizetype end = pdf.indexOf("endobj", at);
        const QByteArray body = pdf.mid(at + 7, end - at - 7);
        PdfObject& o = objects[pdf.mid(idStart, at - idStart).toInt()];
        const qsizetype stream = body.indexOf(">>\nstream\n");
        o.dictionary = stream < 0 ? body : body.left(stream + 2);
        const QByteArray data =
            body.mid(stream + 10, body.lastIndexOf("\nendstream") - stream - 10);
        if (stream >= 0 && o.dictionary.contains("/FlateDecode")) {
            // qUncompress wants the expected size in front, big-endian: a generous one.
            o.content = qUncompress(QByteArray("\x00\x10\x00\x00", 4) + data);
        } else if (stream >= 0) {
            o.content = data;
        }
        at = end;
    }
    return objects;
}

// The resource dictionary of a page or form, in place or shared by reference.
QByteArray resourcesOf(const PdfObject& o, const std::map<int, PdfObject>& objects)
{
    static const QRegularExpression resources(
        QStringLiteral("/Resources(?:(<<(?:/\\w+<<[^>]*>>)*>>)|(?: (\\d+) 0 R))"));
    const auto r = resources.match(QString::fromLatin1(o.dictionary));
    if (!r.hasMatch())
        return {};
    if (r.captured(2).isEmpty())
        return r.captured(1).toLatin1();
    const auto it = objects.find(r.captured(2).toInt());
    return it == objects.end() ? QByteArray() : it->second.dictionary;
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
void expectWordsWhereQtPutsThem(const PageStore& store, const testsupport::TempDir& dir)
{
    const QString ours = QString::fromStdString((dir / "ours.pdf").string());
    const QString qt = QString::fromStdString((dir / "qt.pdf").string());
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

TEST_F(PdfWriterTest, PagesLookAsTheRendererDrawsThem)
{
    expectWordsWhereQtPutsThem(store, dir);
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

// Each page and each form names in its resources exactly the fonts, forms and pictures that
// its content draws, and nothing of the rest of the document.
TEST_F(PdfWriterTest, EachPageAndFormNamesOnlyWhatItDraws)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writePdf(store, buffer);
    const QByteArray pdf = buffer.data();

    std::map<int, PdfObject> objects = pdfObjects(pdf);

    static const QRegularExpression resource(QStringLiteral("/((?:F|Fm|Im)\\d+) (\\d+) 0 R"));
    static const QRegularExpression used(QStringLiteral("/((?:F|Fm|Im)\\d+) [\\d.]* ?(?:Tf|Do)"));
    const auto names = [](const QRegularExpression& re, const QByteArray& text) {
        std::set<QString> found;
        for (const auto& m : re.globalMatch(QString::fromLatin1(text)))
            found.insert(m.captured(1));
        return found;
    };
    int pages = 0, forms = 0;
    for (const auto& [id, o] : objects) {
        QByteArray content;
        if (o.dictionary.contains("/Type/Page/")) {
            ++pages;
            static const QRegularExpression contents(QStringLiteral("/Contents (\\d+) 0 R"));
            const int c = contents.match(QString::fromLatin1(o.dictionary)).captured(1).toInt();
            content = objects[c].content;
        } else if (o.dictionary.contains("/Subtype/Form")) {
            ++forms;
            content = o.content;
        } else {
            EXPECT_FALSE(o.dictionary.contains("/Resources")) << id << o.dictionary.constData();
            continue;
        }
        SCOPED_TRACE(id);
        ASSERT_FALSE(content.isEmpty());
        const QByteArray dictionary = resourcesOf(o, objects);
        ASSERT_FALSE(dictionary.isEmpty()) << o.dictionary.constData();
        // Every name a resource dictionary gives refers to an object of the document.
        for (const auto& m : resource.globalMatch(QString::fromLatin1(dictionary)))
            EXPECT_TRUE(objects.count(m.captured(2).toInt())) << m.captured(0).toStdString();
        EXPECT_EQ(names(resource, dictionary), names(used, content));
    }
    EXPECT_EQ(pages, 3);
    EXPECT_GE(forms, 3); // heading, payer box and footer come back on every page
}

// Bands that come back on every page are drawn from forms, as few as the pages allow: from a
// company's third page on, one for the heading and payer box and one for the footer. A reader
// reads each form it draws, with its fonts, again on every page.
TEST(PdfWriterForms, RepeatedBandsAreDrawnFromFewForms)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    FakeDataSet data;
    for (int e = 1; e <= 6; ++e) {
        addStatement(data, QStringLiteral("01"), QStringLiteral("E%1").arg(e),
                     {QStringLiteral("41"), QStringLiteral("61")});
    }
    PageStore store;
    composeStatements(data, store);
    ASSERT_EQ(store.finishedCount(), 6);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writePdf(store, buffer);
    const std::map<int, PdfObject> objects = pdfObjects(buffer.data());
    static const QRegularExpression form(QStringLiteral("/Fm\\d+ \\d+ 0 R"));
    int n = 0;
    for (const auto& [id, o] : objects) {
        if (!o.dictionary.contains("/Type/Page/"))
            continue;
        ++n;
        int forms = 0;
        for (auto f = form.globalMatch(QString::fromLatin1(resourcesOf(o, objects))); f.hasNext();
             f.next())
            ++forms;
        // The first page has nothing drawn before; the second draws its bands one by one.
        EXPECT_EQ(forms, n >= 3 ? 2 : n == 2 ? 3 : 0) << "page " << n;
    }
    EXPECT_EQ(n, 6);

    testsupport::TempDir dir;
    expectWordsWhereQtPutsThem(store, dir);
}

// The responsible person's name in the PDF: the words where the renderer puts them on Qt's own
// engine, smaller or on two lines just as it decides, and none beyond the divider.
TEST(PdfWriterFooter, LongResponsibleNameKeepsToItsPlaceAsTheRendererDrawsIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TempDir dir;
    const double toPoints = 0.75;              // design units to points
    const double bandTop = 1056 - 68.031 - 41; // the responsible-person box, from the top edge
    const double divider = 37.795 + 311.5;
    const struct {
        QString name;
        int lines;
    } cases[] = {{names::fits, 1}, {names::common, 1}, {names::twoLines, 2}, {names::tooLong, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        PageStore store;
        composeOnePage(store, c.name);
        const QString ours = QString::fromStdString((dir / "ours.pdf").string());
        const QString qt = QString::fromStdString((dir / "qt.pdf").string());
        writePdf(store, ours);
        {
            QPdfWriter writer(qt);
            writer.setResolution(1200);
            printPages(store, writer);
        }
        const auto nameWords = [&](const QString& file) {
            std::vector<Word> found;
            for (const Word& w : words(file)) {
                if (w.box.top() > bandTop * toPoints && w.box.left() < divider * toPoints)
                    found.push_back(w);
            }
            return found;
        };
        const std::vector<Word> a = nameWords(ours);
        const std::vector<Word> b = nameWords(qt);
        ASSERT_EQ(a.size(), b.size());
        std::set<double> lineTops;
        QStringList text;
        for (std::size_t i = 0; i < a.size(); ++i) {
            SCOPED_TRACE(a[i].text.toStdString());
            EXPECT_EQ(a[i].text, b[i].text);
            EXPECT_NEAR(a[i].box.left(), b[i].box.left(), 0.3 + 0.0025 * a[i].box.left());
            EXPECT_NEAR(a[i].box.top(), b[i].box.top(), 0.3);
            EXPECT_NEAR(a[i].box.height(), b[i].box.height(), 0.2); // the same size
            EXPECT_LE(a[i].box.right(), (divider - 3) * toPoints);
            EXPECT_LE(a[i].box.bottom(), (bandTop + 40) * toPoints);
            lineTops.insert(std::round(a[i].box.top()));
            text << a[i].text;
        }
        EXPECT_EQ(int(lineTops.size()), c.lines);
        if (c.name == names::tooLong) {
            EXPECT_TRUE(text.join(u' ').endsWith(QChar(ellipsisCharacter)));
            EXPECT_TRUE(c.name.startsWith(text.join(u' ').chopped(1)));
        } else {
            EXPECT_EQ(text.join(u' '), c.name);
        }
    }
}

// A name typed with combining accents comes out of the PDF composed, with no missing glyph.
TEST(PdfWriterFooter, DecomposedTextIsWrittenComposed)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TempDir dir;
    const QString composed = QStringLiteral("JOSÉ DA CONCEIÇÃO");
    PageStore store;
    composeOnePage(store, composed.normalized(QString::NormalizationForm_D));
    const QString pdf = QString::fromStdString((dir / "nfd.pdf").string());
    writePdf(store, pdf);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(composed));
    for (const char16_t mark : {u'\u0301', u'\u0303', u'\u0327'})
        EXPECT_FALSE(text.contains(QChar(mark)));
}

// What a print spooler makes of a PDF: PostScript for the printer's filters, then a PDF again
// from that PostScript, as a virtual PDF printer writes it. Returns the PostScript's file.
QString throughPrintSpooler(const QString& pdf, const QString& reprinted)
{
    const QString ps = pdf + QStringLiteral(".ps");
    EXPECT_TRUE(succeeds(QStringLiteral("pdftops"), {pdf, ps}));
    EXPECT_TRUE(
        succeeds(QStringLiteral("gs"),
                 {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                  QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite"),
                  QStringLiteral("-dCompatibilityLevel=1.2"),
                  QStringLiteral("-sOutputFile=") + reprinted, ps}));
    return ps;
}

bool printSpoolerToolsMissing()
{
    for (const char* tool : {"pdftotext", "pdftops", "gs"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return true;
    }
    return false;
}

// The statements' words come back from the reprinted PDF as from ours: accents, and characters
// beyond Windows-1252 in both faces.
TEST(PdfWriterSpooler, TextSurvivesConversionToPostScriptAndBack)
{
    if (printSpoolerToolsMissing())
        GTEST_SKIP() << "pdftotext, pdftops or gs is not installed";
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"),
                 {QStringLiteral("41"), QStringLiteral("61")});
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("41")});
    data.row(2)[QStringLiteral("FU_NOME")] = QStringLiteral("ŁUKASZ ŞAHİN Ωμέγα € “AÇÃO”");
    PageStore store;
    const QString responsible = QStringLiteral("JOSÉ ĞÖKÇE ŽIŽEK");
    composeStatements(data, store, responsible);
    ASSERT_EQ(store.finishedCount(), 2);

    testsupport::TempDir dir;
    const QString ours = QString::fromStdString((dir / "ours.pdf").string());
    const QString reprinted = QString::fromStdString((dir / "reprinted.pdf").string());
    writePdf(store, ours);
    throughPrintSpooler(ours, reprinted);

    const QStringList expected = testsupport::pdfPageWords(ours);
    const QStringList got = testsupport::pdfPageWords(reprinted);
    ASSERT_EQ(expected.size(), 2);
    for (const char* words :
         {"RETENÇÃO DE IMPOSTO DE RENDA NA FONTE", "ANO CALENDÁRIO 1999", "Ministério da Fazenda",
          "7. RESPONSÁVEL PELAS INFORMAÇÕES", "JOSÉ ĞÖKÇE ŽIŽEK"}) {
        EXPECT_TRUE(expected[0].contains(QString::fromUtf8(words))) << words;
        EXPECT_TRUE(expected[1].contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_TRUE(expected[1].contains(QStringLiteral("ŁUKASZ ŞAHİN Ωμέγα € “AÇÃO”")));
    EXPECT_EQ(got.join(u'\f').toStdString(), expected.join(u'\f').toStdString());
}

// More characters beyond Windows-1252 than one simple font has codes for, in both faces: each
// comes back, and each code draws the face's own glyph for its character, as a reader finds
// it through the glyph's name and the embedded font's character map.
TEST(PdfWriterSpooler, EveryCharacterDrawsItsGlyphAndComesBack)
{
    if (printSpoolerToolsMissing())
        GTEST_SKIP() << "pdftotext, pdftops or gs is not installed";
    QString beyond;
    for (char32_t c = 0x100; c < 0x180; ++c) // Latin Extended-A
        beyond += QChar(c);
    for (char32_t c = 0x391; c < 0x3CA; ++c) { // Greek
        if (c != 0x3A2)
            beyond += QChar(c);
    }
    for (char32_t c = 0x410; c < 0x450; ++c) // Cyrillic
        beyond += QChar(c);
    // Signs, some of whose standard glyph names readers might take for another character.
    beyond += QStringLiteral("Ω∆µ−√∞≠≤≥◊ﬁﬂˇ˘˙˚˛˝ı‗■□▪●");
    QString windows1252 = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    for (char16_t c = 0x21; c <= 0xFF; ++c) {
        if (c < 0x7F || c >= 0xA0)
            windows1252 += QChar(c);
    }
    QStringList lines = {QStringLiteral("Informações prestadas: ÀÉÎÕÜ çñ ‰ … •")};
    for (const QString& chars : {windows1252, beyond}) {
        for (qsizetype i = 0; i < chars.size(); i += 64)
            lines << chars.mid(i, 64);
    }

    PageStore store;
    store.beginRun(QPageSize::A4, millimetres(210), millimetres(297));
    store.beginPage();
    const FontSpec faces[] = {{QStringLiteral("Arial"), 8, false},
                              {QStringLiteral("Arial"), 8, true}};
    Length y = millimetres(10);
    for (const FontSpec& face : faces) {
        const std::uint8_t font = store.internFont(face);
        for (const QString& line : lines) {
            store.addText(millimetres(10), y, millimetres(190), millimetres(5), font,
                          DrawOp::Transparent, store.internString(line));
            y += millimetres(8);
        }
    }
    store.finishPage();
    store.endRun();

    testsupport::TempDir dir;
    const QString ours = QString::fromStdString((dir / "ours.pdf").string());
    const QString reprinted = QString::fromStdString((dir / "reprinted.pdf").string());
    writePdf(store, ours);
    const QString ps = throughPrintSpooler(ours, reprinted);

    QStringList expected;
    for (int i = 0; i < 2; ++i) {
        for (const QString& line : lines)
            expected << line;
    }
    const QString text = expected.join(u' ').simplified();
    EXPECT_EQ(testsupport::pdfPageWords(ours).join(u'\f'), text);
    EXPECT_EQ(testsupport::pdfPageWords(reprinted).join(u'\f'), text);

    // What the reader made of each code: the glyph that pdftops names for it in the
    // PostScript font ("dup code /name put" in its encoding, "/name glyph def" in its
    // CharStrings), drawn from our embedded program, must have the outline of the face's glyph
    // for the code's character.
    const QString postScript = QString::fromLatin1(testsupport::readFile(ps.toStdString()));
    const std::map<int, PdfObject> objects =
        pdfObjects(QByteArray::fromStdString(testsupport::readFile(ours.toStdString())));
    static const QRegularExpression baseFont(QStringLiteral("/BaseFont/(\\S+?)/"));
    static const QRegularExpression reference(
        QStringLiteral("/(FontDescriptor|FontFile2|ToUnicode) (\\d+) 0 R"));
    static const QRegularExpression unicode(QStringLiteral("<([0-9A-F]{2})><([0-9A-F]{4})>"));
    static const QRegularExpression encoded(QStringLiteral("dup (\\d+) /(\\S+) put"));
    static const QRegularExpression charString(QStringLiteral("/(\\S+) (\\d+) def"));
    const auto ref = [&](const QByteArray& dictionary, const char* key) {
        for (const auto& m : reference.globalMatch(QString::fromLatin1(dictionary))) {
            if (m.captured(1) == QLatin1String(key))
                return m.captured(2).toInt();
        }
        return 0;
    };
    int fonts = 0;
    std::set<std::pair<bool, char32_t>> checked;
    for (const auto& [id, o] : objects) {
        if (!o.dictionary.contains("/Subtype/TrueType"))
            continue;
        ++fonts;
        const QString name = baseFont.match(QString::fromLatin1(o.dictionary)).captured(1);
        SCOPED_TRACE(name.toStdString());
        const bool bold = name.contains(QLatin1String("Bold"));
        FaceData& face = faceData(faces[bold ? 1 : 0]);
        const QByteArray program =
            objects.at(ref(objects.at(ref(o.dictionary, "FontDescriptor")).dictionary, "FontFile2"))
                .content;
        const QRawFont embedded(program, face.metrics.unitsPerEm);
        ASSERT_TRUE(embedded.isValid());

        const qsizetype begin =
            postScript.indexOf(QRegularExpression(QStringLiteral("/FontName /(FF\\d+_\\d+_)?%1 def")
                                                      .arg(QRegularExpression::escape(name))));
        ASSERT_GE(begin, 0);
        const qsizetype charStrings = postScript.indexOf(QLatin1String("/CharStrings"), begin);
        const qsizetype end = postScript.indexOf(QLatin1String("end readonly def"), charStrings);
        std::map<int, QString> names;
        for (const auto& m : encoded.globalMatch(postScript.mid(begin, charStrings - begin)))
            names[m.captured(1).toInt()] = m.captured(2);
        std::map<QString, int> glyphs;
        for (const auto& m : charString.globalMatch(postScript.mid(charStrings, end - charStrings)))
            glyphs[m.captured(1)] = m.captured(2).toInt();

        // Our ToUnicode map gives each code's character.
        const QByteArray toUnicode = objects.at(ref(o.dictionary, "ToUnicode")).content;
        for (const auto& m : unicode.globalMatch(QString::fromLatin1(toUnicode))) {
            const int code = m.captured(1).toInt(nullptr, 16);
            const char32_t c = m.captured(2).toUInt(nullptr, 16);
            SCOPED_TRACE(code);
            ASSERT_TRUE(glyphs.count(names[code])) << names[code].toStdString();
            const int glyph = glyphs[names[code]];
            EXPECT_NE(glyph, 0);
            EXPECT_TRUE(embedded.pathForGlyph(quint32(glyph)) ==
                        face.raw.pathForGlyph(face.glyph(c)))
                << "wrong glyph for " << names[code].toStdString();
            EXPECT_TRUE(checked.insert({bold, c}).second) << "drawn from two codes";
        }
    }
    std::set<std::pair<bool, char32_t>> drawn;
    for (const bool bold : {false, true}) {
        for (const QString& line : lines) {
            for (const char32_t c : line.toUcs4())
                drawn.insert({bold, c});
        }
    }
    EXPECT_EQ(checked, drawn);
    EXPECT_EQ(fonts, 6); // per face: the WinAnsi font and two more
}

} // namespace
