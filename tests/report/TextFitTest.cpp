#include "ReportTestSupport.h"

#include "report/engine/ReportFonts.h"
#include "report/engine/TextFit.h"

#include <gtest/gtest.h>

#include <QRawFont>

#include <cmath>

using namespace report;
using namespace reporttest;

namespace {

const FontSpec arial10Bold{QStringLiteral("Arial"), 10, true};
const Length place = designUnits(292);

// A text's width at a size by the face's design metrics, measured apart from fitText.
double widthAt(const QString& text, double pointSize)
{
    QFont font = makeFont(arial10Bold);
    font.setPixelSize(1000);
    QRawFont raw = QRawFont::fromFont(font);
    raw.setPixelSize(raw.unitsPerEm());
    double units = 0;
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    for (const QPointF& a : raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics))
        units += a.x();
    return units * pointsToLength(pointSize) / raw.unitsPerEm();
}

QString lineText(const QString& text, const FittedLine& line)
{
    return text.mid(line.start, line.length) + (line.ellipsis ? QString(ellipsisCharacter) : "");
}

TEST(TextFit, ShrinksThenBreaksThenCutsShort)
{
    const QString oneWord(200, u'M');
    const struct {
        const char* what;
        QString text;
        bool smaller; // below 10 points
        int lines;
        bool ellipsis;
    } cases[] = {
        {"fits", names::fits, false, 1, false},
        {"common full name", names::common, true, 1, false},
        {"two lines", names::twoLines, true, 2, false},
        {"too long", names::tooLong, true, 2, true},
        {"one long word", oneWord, true, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FittedText fit = fitText(c.text, arial10Bold, place, 7);
        ASSERT_EQ(fit.lines.size(), c.lines);
        EXPECT_EQ(fit.pointSize < 10, c.smaller);
        EXPECT_GE(fit.pointSize, 7);
        EXPECT_EQ(fit.pointSize * 4, std::floor(fit.pointSize * 4)); // quarter points
        EXPECT_EQ(fit.lines.back().ellipsis, c.ellipsis);
        for (const FittedLine& line : fit.lines)
            EXPECT_LE(widthAt(lineText(c.text, line), fit.pointSize), place + 1e-6);
        if (c.lines == 1) {
            EXPECT_EQ(lineText(c.text, fit.lines[0]), c.text);
            // The largest size that fits.
            if (c.smaller) {
                EXPECT_GT(widthAt(c.text, fit.pointSize + 0.25), place);
            }
        } else {
            EXPECT_EQ(fit.pointSize, 7); // two lines only at the smallest size
            EXPECT_GT(widthAt(c.text, 7), place);
            const QString first = lineText(c.text, fit.lines[0]);
            const QString second = c.text.mid(fit.lines[1].start, fit.lines[1].length);
            // Nothing is lost or repeated between the lines; a cut is at a blank where
            // there is one.
            EXPECT_TRUE(c.text.startsWith(first + (c.text.contains(u' ') ? " " : "") + second));
            if (c.text.contains(u' ')) {
                const qsizetype next = c.text.indexOf(u' ', first.size() + 1);
                EXPECT_GT(widthAt(c.text.left(next), 7), place) << "line 1 could take a word more";
                EXPECT_FALSE(second.endsWith(u' '));
            }
        }
    }
}

} // namespace
