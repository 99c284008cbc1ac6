#include "ReportTestSupport.h"

#include "report/StatementTemplate.h"
#include "report/engine/PageComposer.h"
#include "report/engine/PageStore.h"
#include "report/engine/ReportError.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

using namespace report;
using namespace reporttest;

namespace {

const QString responsible = QStringLiteral("JOSÉ DA SILVA");

// The statement template with handlers standing in for the report's: the section title tells
// the section's first character, the responsible person's label prints a fixed name.
struct Statement {
    explicit Statement(FakeDataSet& data)
        : data(data)
    {
        report.setTextHandler(u"QRLabel10", [&data](QString& value) {
            value = QStringLiteral("SEÇÃO ") + data.fieldValue(QStringLiteral("IN_CODIGO")).left(1);
        });
        report.setTextHandler(u"QRLabel20", [](QString& value) { value = responsible; });
    }

    RunResult run()
    {
        RunContext context;
        context.date = QDate(1999, 3, 7);
        context.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
        context.betweenRows = betweenRows;
        return compose(report, data, store, context);
    }

    int titles(int page) const
    {
        return countStartingWith(pageTexts(store, page), QStringLiteral("SEÇÃO "));
    }

    FakeDataSet& data;
    ReportTemplate report = statementTemplate();
    PageStore store;
    std::function<bool()> betweenRows;
};

// Income names are "<employee> <code>#<n>"; employees here are named E1, E2, ...
int countLines(const PageStore& store, int page)
{
    int n = 0;
    for (const QString& t : pageTexts(store, page))
        n += t.startsWith(u'E') && t.contains(u'#') ? 1 : 0;
    return n;
}

// The y of the fill of the first band printed at that height, or -1.
Length fillAt(const PageStore& store, int page, Length height)
{
    for (const DrawOp& op : store.page(page)) {
        if (op.kind == OpKind::Fill && op.height == height)
            return op.y;
    }
    return -1;
}

TEST(PageComposer, FirstPageHoldsFewerLinesTheMoreSectionsItHas)
{
    const struct {
        int sections;
        int capacity;
    } cases[] = {{1, 12}, {2, 11}, {3, 10}, {4, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sections);
        for (const int lines : {c.capacity, c.capacity + 1}) {
            FakeDataSet data;
            addStatement(data, QStringLiteral("01"), QStringLiteral("E1"),
                         codesInSections(c.sections, lines));
            Statement s(data);
            ASSERT_EQ(s.run(), RunResult::Completed);
            EXPECT_EQ(countLines(s.store, 1), c.capacity);
            EXPECT_EQ(s.titles(1), c.sections);
            if (lines == c.capacity) {
                EXPECT_EQ(s.store.pageCount(), 1);
                continue;
            }
            // The line that did not fit opens a page with the whole header block (same
            // company and employee) and no section title.
            ASSERT_EQ(s.store.pageCount(), 2);
            const QStringList second = pageTexts(s.store, 2);
            EXPECT_EQ(countLines(s.store, 2), 1);
            EXPECT_EQ(s.titles(2), 0);
            EXPECT_TRUE(second.contains(QStringLiteral("RETENÇÃO DE IMPOSTO DE RENDA NA FONTE")));
            EXPECT_TRUE(second.contains(QStringLiteral("EMPRESA 01")));
            EXPECT_TRUE(second.contains(QStringLiteral("FUNCIONÁRIO E1")));
            EXPECT_TRUE(
                second.contains(QStringLiteral("2. PESSOA FÍSICA BENEFICIÁRIA DOS RENDIMENTOS")));
        }
    }
}

TEST(PageComposer, ContinuationPageHoldsThirteenLines)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), codesInSections(1, 12 + 13 + 1));
    Statement s(data);
    s.run();
    ASSERT_EQ(s.store.pageCount(), 3);
    EXPECT_EQ(countLines(s.store, 1), 12);
    EXPECT_EQ(countLines(s.store, 2), 13);
    EXPECT_EQ(countLines(s.store, 3), 1);
    // The continuation's first line sits right below the header block.
    const Length top = statementTemplate().page.topMargin;
    EXPECT_EQ(fillAt(s.store, 2, designUnits(39)), top + designUnits(351));
}

TEST(PageComposer, EveryStatementStartsOnANewPage)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("41")});
    // Same employee code in another company: another statement.
    addStatement(data, QStringLiteral("02"), QStringLiteral("E2"), {QStringLiteral("41")});
    Statement s(data);
    s.run();
    ASSERT_EQ(s.store.pageCount(), 3);
    const PageSetup& page = s.report.page;
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(countLines(s.store, p), 1);
        // The statement's empty group band comes directly below the header block.
        EXPECT_EQ(fillAt(s.store, p, designUnits(5)), page.topMargin + designUnits(351));
    }
    EXPECT_TRUE(pageTexts(s.store, 3).contains(QStringLiteral("EMPRESA 02")));
}

TEST(PageComposer, BlocksSitWhereTheLayoutPutsThem)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    Statement s(data);
    s.run();
    const PageSetup& page = s.report.page;
    // Header block from the top margin: page header 79, section 1 title 40, payer box 112.
    EXPECT_EQ(fillAt(s.store, 1, designUnits(79)), page.topMargin);
    EXPECT_EQ(fillAt(s.store, 1, designUnits(112)), page.topMargin + designUnits(119));
    // Footer block: 81 units ending at the bottom margin, 869.17 units below the top margin.
    const Length footer = fillAt(s.store, 1, designUnits(41)) - designUnits(40);
    EXPECT_EQ(footer, tenthsOfMm(2794) - millimetres(18) - designUnits(81));
    EXPECT_NEAR(toDesignUnits(footer - page.topMargin), 869.17, 0.005);
    EXPECT_NEAR(toMillimetres(footer), 239.97, 0.005);
    // A printable is placed from its band's corner; a line keeps its box.
    for (const DrawOp& op : s.store.page(1)) {
        if (op.kind == OpKind::Picture) {
            EXPECT_EQ(op.x, page.leftMargin + designUnits(4));
            EXPECT_EQ(op.y, page.topMargin + designUnits(4));
            EXPECT_EQ(op.width, designUnits(69));
        }
    }
}

TEST(PageComposer, FooterWithDateAndResponsiblePersonOnEveryPage)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), codesInSections(2, 14));
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("41")});
    Statement s(data);
    s.run();
    ASSERT_EQ(s.store.pageCount(), 3);
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        const QStringList texts = pageTexts(s.store, p);
        EXPECT_TRUE(texts.contains(QStringLiteral("7. RESPONSÁVEL PELAS INFORMAÇÕES")));
        EXPECT_TRUE(texts.contains(responsible));
        EXPECT_TRUE(texts.contains(QStringLiteral("07/03/1999")));
        EXPECT_FALSE(texts.contains(QStringLiteral("QRLabel20")));
    }
}

TEST(PageComposer, EmptyDataSetGivesNoPage)
{
    FakeDataSet data;
    Statement s(data);
    int beforePrint = 0;
    int pages = 0;
    s.report.beforePrint = [&](bool&) {
        ++beforePrint;
    };
    QObject::connect(&s.store, &PageStore::pageAvailable, [&](int) { ++pages; });
    EXPECT_EQ(s.run(), RunResult::Completed);
    EXPECT_EQ(beforePrint, 1);
    EXPECT_EQ(s.store.pageCount(), 0);
    EXPECT_EQ(pages, 0);
    EXPECT_FALSE(s.store.isComposing());
}

TEST(PageComposer, BeforePrintRunsFirstAndCanCancel)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    Statement s(data);
    int firstCallsSeen = -1;
    s.report.beforePrint = [&](bool& print) {
        firstCallsSeen = data.firstCalls;
        print = false;
    };
    EXPECT_EQ(s.run(), RunResult::Cancelled);
    EXPECT_EQ(firstCallsSeen, 0);
    EXPECT_EQ(s.store.pageCount(), 0);
}

TEST(PageComposer, SectionTitleWhenTheFirstCharacterChangesOrTheStatementDoes)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"),
                 {QStringLiteral("41"), QStringLiteral("42"), QStringLiteral("51")});
    // The next statement begins with the section the previous one ended with.
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("52")});
    Statement s(data);
    s.run();
    ASSERT_EQ(s.store.pageCount(), 2);
    const QStringList first = pageTexts(s.store, 1);
    EXPECT_EQ(first.count(QStringLiteral("SEÇÃO 4")), 1);
    EXPECT_EQ(first.count(QStringLiteral("SEÇÃO 5")), 1);
    EXPECT_EQ(pageTexts(s.store, 2).count(QStringLiteral("SEÇÃO 5")), 1);
}

TEST(PageComposer, HandlersSeeOnlyNonEmptyTextsAndTheirResultIsNotKept)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"),
                 {QStringLiteral("41"), QStringLiteral("42"), QStringLiteral("43")});
    data.add(data.rows().back()); // the same row again: its handler starts from the field
    data.row(1)[QStringLiteral("IN_NOME")] = QString();
    Statement s(data);
    QStringList seen;
    s.report.setTextHandler(u"QRDBText11", [&](QString& value) {
        seen << value;
        value += QStringLiteral("!");
    });
    // A handler that empties its text prints nothing, not even its white box.
    s.report.setTextHandler(u"QRDBText9", [](QString& value) { value.clear(); });
    s.run();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("E1 41#1"), QStringLiteral("E1 43#3"),
                                 QStringLiteral("E1 43#3")}));
    const QStringList texts = pageTexts(s.store, 1);
    EXPECT_EQ(texts.count(QStringLiteral("E1 43#3!")), 2);
    EXPECT_FALSE(texts.contains(QStringLiteral("1.234,50")));
}

TEST(PageComposer, ProgressAfterEachRowThenTheHookThenPagesAsTheyFinish)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"),
                 {QStringLiteral("41"), QStringLiteral("42")});
    Statement s(data);
    QStringList events;
    QObject::connect(&s.store, &PageStore::progressChanged,
                     [&](int p) { events << QStringLiteral("%1%").arg(p); });
    QObject::connect(&s.store, &PageStore::pageAvailable, [&](int n) {
        // Readable at once.
        EXPECT_FALSE(s.store.page(n).empty());
        events << QStringLiteral("page %1 of %2").arg(n).arg(s.store.pageCount());
    });
    s.betweenRows = [&] {
        events << QStringLiteral("hook");
        return true;
    };
    s.run();
    EXPECT_EQ(events, (QStringList{QStringLiteral("33%"), QStringLiteral("hook"),
                                   QStringLiteral("page 1 of 1"), QStringLiteral("66%"),
                                   QStringLiteral("hook"), QStringLiteral("100%"),
                                   QStringLiteral("hook"), QStringLiteral("page 2 of 2")}));
}

TEST(PageComposer, CancelStopsTheRunAtOnce)
{
    const struct {
        const char* how;
        bool byStore;
    } cases[] = {{"hook returns false", false}, {"store cancelled", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        FakeDataSet data;
        for (const char* e : {"E1", "E2", "E3"})
            addStatement(data, QStringLiteral("01"), QString::fromLatin1(e),
                         {QStringLiteral("41")});
        Statement s(data);
        int rows = 0;
        bool finishedCompleted = true;
        QObject::connect(&s.store, &PageStore::runFinished,
                         [&](bool completed) { finishedCompleted = completed; });
        s.betweenRows = [&] {
            if (++rows < 2)
                return true;
            if (c.byStore)
                s.store.cancel();
            return c.byStore; // a cancelled store stops the run even when the hook goes on
        };
        EXPECT_EQ(s.run(), RunResult::Cancelled);
        EXPECT_EQ(rows, 2);
        EXPECT_EQ(data.position(), 1); // no row read after the cancel
        // Page 1 was finished before; page 2, under construction, is dropped.
        EXPECT_EQ(s.store.pageCount(), 1);
        EXPECT_FALSE(s.store.isComposing());
        EXPECT_FALSE(finishedCompleted);
    }
}

TEST(PageComposer, TemplateErrorsComeBeforeAnyPage)
{
    const struct {
        const char* what;
        std::function<void(ReportTemplate&)> spoil;
    } cases[] = {
        {"unknown child",
         [](ReportTemplate& t) {
             t.band(u"ChildBand1")->child = "ChildBand9";
         }},
        {"unsupported key",
         [](ReportTemplate& t) {
             t.band(u"QRGroup2")->groupExpression = "UPPER(Fun.IN_CODIGO)";
         }},
        {"chain in a loop",
         [](ReportTemplate& t) {
             t.band(u"ChildBand3")->child = "ChildBand1";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDataSet data;
        addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
        Statement s(data);
        c.spoil(s.report);
        EXPECT_THROW(s.run(), ReportError);
        EXPECT_EQ(s.store.pageCount(), 0);
        EXPECT_EQ(data.firstCalls, 0);
    }
}

TEST(PageComposer, AnErrorInAHandlerLeavesTheStoreIdle)
{
    FakeDataSet data;
    addStatement(data, QStringLiteral("01"), QStringLiteral("E1"), {QStringLiteral("41")});
    addStatement(data, QStringLiteral("01"), QStringLiteral("E2"), {QStringLiteral("41")});
    Statement s(data);
    s.report.setTextHandler(u"QRDBText8", [](QString& value) {
        if (value.endsWith(u"E2"))
            throw ReportError(QStringLiteral("falhou"));
    });
    EXPECT_THROW(s.run(), ReportError);
    EXPECT_EQ(s.store.pageCount(), 1);
    EXPECT_FALSE(s.store.isComposing());
}

TEST(ReportTemplate, TextHandlerNeedsATextPrintable)
{
    ReportTemplate t = statementTemplate();
    EXPECT_THROW(t.setTextHandler(u"QRShape9", [](QString&) {}), ReportError);
    EXPECT_THROW(t.setTextHandler(u"QRLabel99", [](QString&) {}), ReportError);
    EXPECT_NO_THROW(t.setTextHandler(u"QRDBText3", [](QString&) {}));
}

} // namespace
