#include "report/engine/TextPlacement.h"

#include <gtest/gtest.h>

#include <QString>

using namespace report;

namespace {

// Every character 10 wide.
double measure(QStringView s)
{
    return 10.0 * double(s.size());
}

struct Line {
    QString text;
    double x;
};

TEST(TextPlacement, AutoSizeKeepsTheEdgeItsAlignmentNames)
{
    const struct {
        Alignment alignment;
        double left;
    } cases[] = {{Alignment::Left, 100}, {Alignment::Right, 160}, {Alignment::Center, 130}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.alignment));
        // Box from 100 to 200; the text is 40 wide.
        const TextPlacement p = placeText(u"ABCD", 100, 100, c.alignment, true, true, measure);
        EXPECT_DOUBLE_EQ(p.left, c.left);
        EXPECT_DOUBLE_EQ(p.width, 40);
        ASSERT_EQ(p.lines.size(), 1);
        EXPECT_DOUBLE_EQ(p.lines[0].x, c.left);
    }
    // Auto-size grows past the box instead of breaking.
    const TextPlacement wide =
        placeText(u"AB CD EF", 100, 30, Alignment::Right, true, true, measure);
    EXPECT_EQ(wide.lines.size(), 1);
    EXPECT_DOUBLE_EQ(wide.left, 50);
}

TEST(TextPlacement, FixedBoxBreaksAtBlanks)
{
    const struct {
        const char* text;
        double width;
        Alignment alignment;
        std::vector<Line> lines;
    } cases[] = {
        {"AB CD", 50, Alignment::Left, {{"AB CD", 0}}}, // fits exactly
        {"AB CD EF", 50, Alignment::Left, {{"AB CD", 0}, {"EF", 0}}},
        {"AB CD EF", 50, Alignment::Right, {{"AB CD", 0}, {"EF", 30}}},
        {"AB CD EF", 50, Alignment::Center, {{"AB CD", 0}, {"EF", 15}}},
        {"ABCDEFGH IJ", 50, Alignment::Left, {{"ABCDEFGH", 0}, {"IJ", 0}}}, // long word overflows
        {"AB   CD", 30, Alignment::Left, {{"AB", 0}, {"CD", 0}}},
        {" CD", 20, Alignment::Right, {{" CD", -10}}}, // a lone word is never broken
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromLatin1(c.text);
        const TextPlacement p = placeText(text, 0, c.width, c.alignment, false, true, measure);
        EXPECT_DOUBLE_EQ(p.width, c.width);
        ASSERT_EQ(std::size_t(p.lines.size()), c.lines.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(text.mid(p.lines[qsizetype(i)].start, p.lines[qsizetype(i)].length),
                      c.lines[i].text);
            EXPECT_DOUBLE_EQ(p.lines[qsizetype(i)].x, c.lines[i].x);
        }
    }
}

} // namespace
