#include "ReportTestSupport.h"

#include "report/PageRenderer.h"
#include "report/PageStore.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

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

} // namespace
