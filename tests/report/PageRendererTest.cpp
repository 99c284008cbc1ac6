#include "ReportTestSupport.h"

#include "report/StatementTemplate.h"
#include "report/engine/PageRenderer.h"
#include "report/engine/PageStore.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>

using namespace report;
using namespace reporttest;

namespace {

QImage renderPage(const PageStore& store, int page, double zoom)
{
    QImage image(QSize(int(816 * zoom / 100), int(1056 * zoom / 100)), QImage::Format_RGB32);
    image.fill(Qt::red); // anything not painted shows
    QPainter painter(&image);
    PageRenderer(store).render(painter, page, zoom);
    return image;
}

bool black(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 64;
}

bool white(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// Pixel of a place given in design units from the paper's corner (one unit is one pixel at
// 96 dpi), at a zoom.
int px(double units, double zoom)
{
    return int(std::floor(units * zoom / 100));
}

constexpr double margin = 37.795; // 10 mm in design units

class PageRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addStatement(data, QStringLiteral("01"), QStringLiteral("E1"),
                     {QStringLiteral("41"), QStringLiteral("42")});
        composeStatements(data, store);
        ASSERT_EQ(store.finishedCount(), 1);
    }

    FakeDataSet data;
    PageStore store;
};

TEST_F(PageRendererTest, FramesAreOnePointInsideTheBandEdge)
{
    const struct {
        double zoom;
        int thickness; // 1 point, at least one pixel
    } cases[] = {{100, 1}, {200, 3}, {50, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zoom);
        const QImage image = renderPage(store, 1, c.zoom);
        const int x = px(margin + 300, c.zoom);
        const int top = int(std::lround(margin * c.zoom / 100));
        // Page header's top side: from the band's top edge down.
        EXPECT_TRUE(white(image, x, top - 1));
        for (int i = 0; i < c.thickness; ++i)
            EXPECT_TRUE(black(image, x, top + i)) << i;
        EXPECT_TRUE(white(image, x, top + c.thickness));
        // Its left side, inside the band.
        const int y = px(margin + 60, c.zoom);
        const int left = int(std::lround(margin * c.zoom / 100));
        EXPECT_TRUE(white(image, left - 1, y));
        EXPECT_TRUE(black(image, left, y));
        // The paper outside the bands is white, not left unpainted.
        EXPECT_TRUE(white(image, 2, 2));
    }
}

TEST_F(PageRendererTest, InnerLinesAreOnePixel)
{
    const QImage image = renderPage(store, 1, 100);
    // QRShape9 divides the first income line at x 559.5 of the band; the band starts 351 + 5 + 40
    // units below the top margin.
    const int x = px(margin + 559.5, 100);
    const int y = px(margin + 396 + 20, 100);
    EXPECT_TRUE(black(image, x, y));
    EXPECT_TRUE(white(image, x - 1, y));
    EXPECT_TRUE(white(image, x + 1, y));
}

TEST_F(PageRendererTest, TextAndEmblemAreDrawn)
{
    const QImage image = renderPage(store, 1, 100);
    const auto inkIn = [&](double left, double top, double width, double height) {
        int ink = 0;
        int grey = 0;
        for (int y = px(margin + top, 100); y < px(margin + top + height, 100); ++y) {
            for (int x = px(margin + left, 100); x < px(margin + left + width, 100); ++x) {
                const int g = qGray(image.pixel(x, y));
                ink += g < 128 ? 1 : 0;
                grey += g > 40 && g < 220 ? 1 : 0;
            }
        }
        return std::pair{ink, grey};
    };
    // "RETENÇÃO DE IMPOSTO DE RENDA NA FONTE", centred in its box.
    EXPECT_GT(inkIn(374, 28, 365, 17).first, 100);
    EXPECT_EQ(inkIn(374, 28, 30, 17).first, 0); // box wider than the text: margins stay blank
    // The emblem: shades of grey in its 69 × 69 box.
    EXPECT_GT(inkIn(4, 4, 69, 69).second, 69 * 69 / 4);
}

TEST_F(PageRendererTest, UnfinishedOrMissingPageDrawsNothing)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    PageRenderer(store).render(painter, 2, 100);
    PageRenderer(store).render(painter, 0, 100);
    painter.end();
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
}

// The responsible-person box (ChildBand4) of a page at a zoom, as an image of the band alone;
// it ends at the bottom margin of 18 mm.
QImage footerBox(const PageStore& store, double zoom)
{
    const double top = 1056 - 68.031 - 41;
    QImage image(QSize(px(740, zoom), px(41, zoom)), QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.translate(-px(margin, zoom), -px(top, zoom));
    PageRenderer(store).render(painter, 1, zoom);
    return image;
}

QImage footerBox(const QString& responsible, double zoom)
{
    PageStore store;
    composeOnePage(store, responsible);
    return footerBox(store, zoom);
}

int inkIn(const QImage& image, double zoom, double left, double top, double right, double bottom)
{
    int ink = 0;
    for (int y = px(top, zoom); y < px(bottom, zoom); ++y) {
        for (int x = px(left, zoom); x < px(right, zoom); ++x)
            ink += black(image, x, y) ? 1 : 0;
    }
    return ink;
}

// A long name keeps to the left of the divider at x 311.5: smaller, then on two lines. What
// lies right of it, the date and its caption, looks as it does on a page with no name at all.
TEST(PageRendererFooter, LongResponsibleNameKeepsLeftOfTheDivider)
{
    for (const double zoom : {100.0, 150.0, 300.0}) {
        SCOPED_TRACE(zoom);
        const QImage unnamed = footerBox(QString(), zoom);
        for (const QString& name : {names::common, names::twoLines, names::tooLong}) {
            SCOPED_TRACE(name.toStdString());
            const QImage image = footerBox(name, zoom);
            const int from = px(309.5, zoom);
            EXPECT_EQ(image.copy(from, 0, image.width() - from, image.height()),
                      unnamed.copy(from, 0, image.width() - from, image.height()));
            EXPECT_GT(inkIn(image, zoom, 16, 11, 308, 23), 100);
            // A second line below the first, inside the box.
            EXPECT_EQ(inkIn(image, zoom, 16, 24.5, 308, 31) > 0, name != names::common);
            EXPECT_EQ(image.copy(0, px(36, zoom), px(309.5, zoom), px(3, zoom)),
                      unnamed.copy(0, px(36, zoom), px(309.5, zoom), px(3, zoom)));
        }
    }
}

// A name that fits its place is drawn exactly as by a box without a place to keep to.
TEST(PageRendererFooter, NameThatFitsIsDrawnAsItWasBefore)
{
    for (const QString& name : {names::fits, QStringLiteral("ANTÔNIO CARLOS DE OLIVEIRA SOUZA")}) {
        SCOPED_TRACE(name.toStdString());
        PageStore fitted, plain;
        composeOnePage(fitted, name);
        {
            FakeDataSet data;
            addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
            ReportTemplate t = statementTemplate();
            t.printable(u"QRLabel20")->fitWidth = 0;
            t.setTextHandler(u"QRLabel20", [&](QString& value) { value = name; });
            RunContext context;
            context.date = QDate(1999, 3, 7);
            context.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
            compose(t, data, plain, context);
        }
        for (const double zoom : {100.0, 300.0})
            EXPECT_EQ(footerBox(fitted, zoom), footerBox(plain, zoom)) << zoom;
    }
}

// Combining accents are drawn as the composed letters they stand for, in a data field and in
// the responsible person's name alike.
TEST(PageRendererFooter, DecomposedTextIsDrawnAsComposed)
{
    const QString composed = QStringLiteral("JOSÉ DA CONCEIÇÃO");
    const QString decomposed = composed.normalized(QString::NormalizationForm_D);
    ASSERT_NE(decomposed, composed);
    const auto page = [](const QString& name) {
        FakeDataSet data;
        addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
        data.row(0)[QStringLiteral("FU_NOME")] = name;
        auto store = std::make_unique<PageStore>();
        composeStatements(data, *store, name);
        return store;
    };
    const auto a = page(decomposed);
    const auto b = page(composed);
    for (const double zoom : {100.0, 300.0})
        EXPECT_EQ(renderPage(*a, 1, zoom), renderPage(*b, 1, zoom)) << zoom;
}

} // namespace
