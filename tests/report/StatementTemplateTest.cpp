#include "report/StatementTemplate.h"
#include "report/Emblem.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

TEST(StatementTemplate, PageAndBands)
{
    const ReportTemplate t = statementTemplate();
    EXPECT_EQ(t.page.paper, QPageSize::Letter);
    EXPECT_EQ(t.page.width, designUnits(816));
    EXPECT_EQ(t.page.height, designUnits(1056));
    EXPECT_EQ(t.page.bandWidth, designUnits(740));
    EXPECT_TRUE(t.options.firstPageHeader && t.options.lastPageFooter);
    EXPECT_FALSE(t.options.printIfEmpty);

    const struct {
        const char* name;
        BandKind kind;
        int height;
        std::uint8_t frame;
        const char* child;
        std::size_t printables;
    } bands[] = {
        {"PageHeaderBand1", BandKind::PageHeader, 79, FrameAll, "", 7},
        {"ColumnHeaderBand1", BandKind::ColumnHeader, 40, FrameNone, "ChildBand1", 1},
        {"ChildBand1", BandKind::Child, 112, FrameAll, "ChildBand2", 17},
        {"ChildBand2", BandKind::Child, 40, FrameNone, "ChildBand3", 1},
        {"ChildBand3", BandKind::Child, 80, FrameAll, "", 8},
        {"QRGroup1", BandKind::GroupHeader, 5, FrameNone, "", 0},
        {"QRGroup2", BandKind::GroupHeader, 40, FrameBottom, "", 1},
        {"DetailBand1", BandKind::Detail, 39, FrameBottom | FrameLeft | FrameRight, "", 4},
        {"PageFooterBand1", BandKind::PageFooter, 40, FrameNone, "ChildBand4", 1},
        {"ChildBand4", BandKind::Child, 41, FrameAll, "", 6},
    };
    ASSERT_EQ(t.bands.size(), std::size(bands));
    for (std::size_t i = 0; i < t.bands.size(); ++i) {
        const Band& b = t.bands[i];
        SCOPED_TRACE(bands[i].name);
        EXPECT_EQ(b.name, QLatin1String(bands[i].name));
        EXPECT_EQ(b.kind, bands[i].kind);
        EXPECT_EQ(b.height, designUnits(bands[i].height));
        EXPECT_EQ(b.frame, bands[i].frame);
        EXPECT_EQ(b.child, QLatin1String(bands[i].child));
        EXPECT_EQ(b.printables.size(), bands[i].printables);
    }
    EXPECT_EQ(t.band(u"QRGroup1")->groupExpression, "Fun.EP_CODIGO + Fun.FU_CODIGO");
    EXPECT_TRUE(t.band(u"QRGroup1")->newPageBefore);
    EXPECT_EQ(t.band(u"QRGroup2")->groupExpression, "COPY(Fun.IN_CODIGO,1 ,1 )");
    EXPECT_FALSE(t.band(u"QRGroup2")->newPageBefore);
}

TEST(StatementTemplate, LinesRunThroughTheMiddleOfTheirBoxes)
{
    const ReportTemplate t = statementTemplate();
    const struct {
        const char* name;
        bool vertical;
        double at, from, to;
    } lines[] = {
        {"QRShape2", true, 372.5, 0, 77},   {"QRShape1", false, 36.5, 0, 740},
        {"QRShape3", false, 72.5, 0, 740},  {"QRShape5", true, 552.5, 0, 37},
        {"QRShape7", true, 417, 72, 109},   {"QRShape10", true, 593, 72, 109},
        {"QRShape4", false, 40.5, 0, 740},  {"QRShape8", true, 224.5, 0, 41},
        {"QRShape9", true, 559.5, 0, 41},   {"QRShape6", true, 311.5, -1, 40},
        {"QRShape11", true, 467.5, -1, 40},
    };
    for (const auto& l : lines) {
        SCOPED_TRACE(l.name);
        const Printable* p = t.printable(QString::fromLatin1(l.name));
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->kind, PrintableKind::Line);
        EXPECT_EQ(p->direction == LineDirection::Vertical, l.vertical);
        const Box& b = p->box;
        const double across = l.vertical ? toDesignUnits(b.left) + toDesignUnits(b.width) / 2
                                         : toDesignUnits(b.top) + toDesignUnits(b.height) / 2;
        const double from = toDesignUnits(l.vertical ? b.top : b.left);
        const double to = from + toDesignUnits(l.vertical ? b.height : b.width);
        EXPECT_DOUBLE_EQ(across, l.at);
        EXPECT_DOUBLE_EQ(from, l.from);
        EXPECT_DOUBLE_EQ(to, l.to);
    }
}

TEST(StatementTemplate, TextPrintables)
{
    const ReportTemplate t = statementTemplate();
    const struct {
        const char* name;
        const char* shows; // caption or field
        int left, top, width;
        Alignment alignment;
        const char* family;
        double size;
        bool bold, autoSize;
    } texts[] = {
        {"QRLabel1", "Ministério da Fazenda", 84, 16, 205, Alignment::Left, "Arial", 14, true,
         true},
        {"QRLabel4", "RETENÇÃO DE IMPOSTO DE RENDA NA FONTE", 374, 28, 365, Alignment::Center,
         "Arial", 10, false, false},
        {"QRLabel5", "ANO CALENDÁRIO 1999", 374, 48, 365, Alignment::Center, "Arial", 10, false,
         false},
        {"QRLabel6", "1. FONTE PAGADORA PESSOA JURÍDICA OU PESSOA FÍSICA", 4, 20, 437,
         Alignment::Left, "MS Sans Serif", 10, true, true},
        {"QRDBText3", "EP_CGC", 554, 16, 185, Alignment::Center, "Arial", 10, true, false},
        {"QRLabel11", "Endereço", 4, 37, 47, Alignment::Left, "Arial", 8, false, true},
        {"QRDBText9", "IR_TOTAL", 664, 12, 64, Alignment::Right, "Arial", 10, true, true},
        {"QRLabel10", "X. XXXXXXXXXXXXXXXXXXXXXXXXXXXXX", 4, 20, 280, Alignment::Left,
         "MS Sans Serif", 10, true, true},
        {"QRLabel9", "7. RESPONSÁVEL PELAS INFORMAÇÕES", 4, 20, 294, Alignment::Left,
         "MS Sans Serif", 10, true, true},
        {"QRLabel20", "QRLabel20", 16, 11, 70, Alignment::Left, "Arial", 10, true, true},
    };
    for (const auto& c : texts) {
        SCOPED_TRACE(c.name);
        const Printable* p = t.printable(QString::fromLatin1(c.name));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->kind == PrintableKind::Data ? p->field : p->caption,
                  QString::fromUtf8(c.shows));
        EXPECT_EQ(p->box.left, designUnits(c.left));
        EXPECT_EQ(p->box.top, designUnits(c.top));
        EXPECT_EQ(p->box.width, designUnits(c.width));
        EXPECT_EQ(p->alignment, c.alignment);
        const FontSpec font = p->font.value_or(t.font);
        EXPECT_EQ(font, (FontSpec{QString::fromLatin1(c.family), c.size, c.bold}));
        EXPECT_EQ(p->autoSize, c.autoSize);
        EXPECT_FALSE(p->transparent);
    }
    EXPECT_TRUE(t.printable(u"QRDBText11")->transparent);
    EXPECT_EQ(t.printable(u"QRSysData1")->kind, PrintableKind::SystemDate);
    EXPECT_EQ(t.printable(u"QRImage1")->picture.cacheKey(), emblemImage().cacheKey());
}

TEST(Emblem, GreyPictureOfTheRightSize)
{
    const QImage& e = emblemImage();
    EXPECT_EQ(e.size(), QSize(95, 100));
    EXPECT_TRUE(e.allGray());
    int dark = 0;
    for (int y = 0; y < e.height(); ++y) {
        for (int x = 0; x < e.width(); ++x)
            dark += qGray(e.pixel(x, y)) < 160 ? 1 : 0;
    }
    // A drawing, not a blank: a good part of the picture is ink, and its corners are paper.
    EXPECT_GT(dark, e.width() * e.height() / 8);
    EXPECT_EQ(e.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(&emblemImage(), &e);
}

} // namespace
