#include "report/engine/PageComposer.h"

#include "report/engine/GroupExpression.h"
#include "report/engine/PageStore.h"
#include "report/engine/ReportDataSet.h"
#include "report/engine/ReportError.h"
#include "report/engine/ReportTemplate.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace report {

namespace {

// Rows done × 100 ÷ rows, in whole percent; an empty count counts as done.
int progressPercent(qint64 done, qint64 rows)
{
    return rows > 0 ? int(qMin<qint64>(done * 100 / rows, 100)) : 100;
}

struct PreparedPrintable {
    const Printable* printable = nullptr;
    std::uint8_t font = 0;
    std::uint8_t flags = 0;
    std::uint8_t fitMinimum = 0;
    std::uint32_t ref = 0; // caption's string id, or the picture's image id
};

struct PreparedBand {
    const Band* band = nullptr;
    int child = -1;
    std::vector<PreparedPrintable> printables;
};

struct Group {
    int band = -1;
    GroupExpression key;
    QString previous;
};

class Composer {
public:
    Composer(const ReportTemplate& report, ReportDataSet& dataSet, PageStore& store,
             const RunContext& context)
        : m_report(report)
        , m_page(report.page)
        , m_data(dataSet)
        , m_store(store)
        , m_context(context)
    {
    }

    RunResult run();

private:
    void resolve();
    void prepare();
    int chainHeight(int band) const;

    void newPage();
    void finishPage(bool last);
    void printChain(int band, bool fitTest);
    void printBand(const PreparedBand& band, bool fitTest);

    const ReportTemplate& m_report;
    const PageSetup& m_page;
    ReportDataSet& m_data;
    PageStore& m_store;
    const RunContext& m_context;

    std::vector<PreparedBand> m_bands;
    int m_pageHeader = -1;
    int m_columnHeader = -1;
    int m_detail = -1;
    int m_pageFooter = -1;
    std::vector<Group> m_groups;
    QString m_dateText;

    Length m_footerArea = 0;
    Length m_y = 0;
    int m_pageNumber = 0;
    bool m_inPageStart = false;
    bool m_bodyOnPage = false;         // a band beyond the page's header block is on the page
    bool m_printedSinceHeader = false; // a band has been printed since the first header chain
};

void Composer::resolve()
{
    const auto& bands = m_report.bands;
    m_bands.resize(bands.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const Band& b = bands[i];
        m_bands[i].band = &b;
        if (!b.child.isEmpty()) {
            for (std::size_t j = 0; j < bands.size(); ++j) {
                if (bands[j].name == b.child && bands[j].kind == BandKind::Child)
                    m_bands[i].child = int(j);
            }
            if (m_bands[i].child < 0) {
                throw ReportError(QStringLiteral("A banda \"%1\" do relatório \"%2\" não existe.")
                                      .arg(b.child, m_report.title));
            }
        }
        const auto first = [&](int& slot) {
            if (slot < 0)
                slot = int(i);
        };
        switch (b.kind) {
        case BandKind::PageHeader:
            first(m_pageHeader);
            break;
        case BandKind::ColumnHeader:
            first(m_columnHeader);
            break;
        case BandKind::Detail:
            first(m_detail);
            break;
        case BandKind::PageFooter:
            first(m_pageFooter);
            break;
        case BandKind::GroupHeader:
            m_groups.push_back({int(i),
                                GroupExpression::parse(b.groupExpression, m_report.dataSetName),
                                QString()});
            break;
        case BandKind::Child:
            break;
        }
    }
    // A chain that comes back on itself would print forever.
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        std::size_t steps = 0;
        for (int c = m_bands[i].child; c >= 0; c = m_bands[std::size_t(c)].child) {
            if (++steps > m_bands.size()) {
                throw ReportError(QStringLiteral("As bandas filhas de \"%1\" formam um ciclo.")
                                      .arg(bands[i].name));
            }
        }
    }
}

void Composer::prepare()
{
    for (PreparedBand& pb : m_bands) {
        for (const Printable& p : pb.band->printables) {
            PreparedPrintable pp;
            pp.printable = &p;
            if (p.isText()) {
                pp.font = m_store.internFont(p.font.value_or(m_report.font));
                pp.flags = std::uint8_t(p.alignment);
                if (p.autoSize)
                    pp.flags |= DrawOp::AutoSize;
                if (p.transparent)
                    pp.flags |= DrawOp::Transparent;
                if (p.wordWrap)
                    pp.flags |= DrawOp::WordWrap;
                if (p.fitWidth > 0)
                    pp.fitMinimum =
                        std::uint8_t(std::clamp(std::lround(p.fitMinimumPointSize * 4), 1L, 255L));
                if (p.kind == PrintableKind::Label)
                    pp.ref = m_store.internString(p.caption);
            } else if (p.kind == PrintableKind::Picture) {
                if (p.picture.isNull())
                    continue;
                pp.ref = m_store.internImage(p.picture);
            }
            pb.printables.push_back(pp);
        }
    }
    if (m_context.date.isValid())
        m_dateText = m_context.locale.toString(m_context.date, QLocale::ShortFormat);
}

int Composer::chainHeight(int band) const
{
    Length h = 0;
    for (int b = band; b >= 0; b = m_bands[std::size_t(b)].child)
        h += m_bands[std::size_t(b)].band->height;
    return h;
}

void Composer::newPage()
{
    if (m_store.hasOpenPage())
        finishPage(false);
    m_store.beginPage();
    ++m_pageNumber;
    m_y = m_page.topMargin;
    m_bodyOnPage = false;
    m_inPageStart = true;
    if (m_pageHeader >= 0 && (m_pageNumber > 1 || m_report.options.firstPageHeader))
        printChain(m_pageHeader, true);
    if (m_columnHeader >= 0)
        printChain(m_columnHeader, true);
    m_inPageStart = false;
}

void Composer::finishPage(bool last)
{
    m_y = m_page.height - m_page.bottomMargin - m_footerArea;
    if (m_pageFooter >= 0 && (!last || m_report.options.lastPageFooter))
        printChain(m_pageFooter, false);
    m_store.finishPage();
}

void Composer::printChain(int band, bool fitTest)
{
    for (int b = band; b >= 0; b = m_bands[std::size_t(b)].child)
        printBand(m_bands[std::size_t(b)], fitTest);
}

void Composer::printBand(const PreparedBand& pb, bool fitTest)
{
    const Band& band = *pb.band;
    if (fitTest) {
        // A band that does not fit even below a fresh header block is printed anyway, running
        // into the footer area, rather than starting pages for ever.
        const Length space = m_page.height - m_page.bottomMargin - m_footerArea - m_y;
        if (!m_store.hasOpenPage() || (band.height > space && m_bodyOnPage))
            newPage();
    }

    const Length left = m_page.leftMargin;
    const Length top = m_y;
    m_store.addFill(left, top, m_page.bandWidth, band.height);

    for (const PreparedPrintable& pp : pb.printables) {
        const Printable& p = *pp.printable;
        const Length x = left + p.box.left;
        const Length y = top + p.box.top;
        switch (p.kind) {
        case PrintableKind::Line:
            m_store.addLine(x, y, p.box.width, p.box.height,
                            p.direction == LineDirection::Vertical);
            break;
        case PrintableKind::Picture:
            m_store.addPicture(x, y, p.box.width, p.box.height, pp.ref);
            break;
        case PrintableKind::Label:
        case PrintableKind::Data:
        case PrintableKind::SystemDate: {
            QString text = p.kind == PrintableKind::Label  ? p.caption
                           : p.kind == PrintableKind::Data ? m_data.displayText(p.field)
                                                           : m_dateText;
            if (text.isEmpty())
                break;
            if (p.onPrint) {
                p.onPrint(text);
                if (text.isEmpty())
                    break;
            }
            const std::uint32_t id = p.kind == PrintableKind::Label && text == p.caption
                                         ? pp.ref
                                         : m_store.internString(text);
            m_store.addText(x, y, p.fitWidth > 0 ? p.fitWidth : p.box.width, p.box.height, pp.font,
                            pp.flags, id, pp.fitMinimum);
            break;
        }
        }
    }

    if (band.frame != FrameNone)
        m_store.addFrame(left, top, m_page.bandWidth, band.height, band.frame);
    m_y += band.height;
    if (!m_inPageStart)
        m_bodyOnPage = true;
}

RunResult Composer::run()
{
    resolve();
    m_store.beginRun(m_page.paper, m_page.width, m_page.height);

    // Whatever ends the run early, the store must not stay in the composing state.
    struct EndGuard {
        PageStore& store;
        bool armed = true;
        ~EndGuard()
        {
            if (armed) {
                store.abandonPage();
                store.cancel();
                store.endRun();
            }
        }
    } guard{m_store};

    prepare();

    bool printReport = true;
    if (m_report.beforePrint)
        m_report.beforePrint(printReport);
    if (!printReport)
        return RunResult::Cancelled;

    std::optional<int> rows = m_data.recordCountIfReady();
    m_data.first();
    if (m_data.eof() && !m_report.options.printIfEmpty) {
        guard.armed = false;
        m_store.endRun();
        return RunResult::Completed;
    }

    if (m_pageFooter >= 0)
        m_footerArea = chainHeight(m_pageFooter);

    newPage();
    std::vector<bool> changed(m_groups.size());
    qint64 done = 0;
    for (bool firstRow = true; !m_data.eof(); firstRow = false) {
        bool outerChanged = firstRow;
        for (std::size_t g = 0; g < m_groups.size(); ++g) {
            QString key = m_groups[g].key.evaluate(m_data);
            if (!outerChanged && key != m_groups[g].previous)
                outerChanged = true;
            changed[g] = outerChanged;
            m_groups[g].previous = std::move(key);
        }
        for (std::size_t g = 0; g < m_groups.size(); ++g) {
            if (!changed[g])
                continue;
            const PreparedBand& pb = m_bands[std::size_t(m_groups[g].band)];
            if (pb.band->newPageBefore && m_printedSinceHeader)
                newPage();
            printChain(m_groups[g].band, true);
            m_printedSinceHeader = true;
            if (m_context.groupStarted)
                m_context.groupStarted(*pb.band, m_pageNumber);
        }
        if (m_detail >= 0) {
            printChain(m_detail, true);
            m_printedSinceHeader = true;
        }

        ++done;
        if (!rows)
            rows = m_data.recordCountIfReady();
        if (rows)
            m_store.reportProgress(progressPercent(done, *rows));
        const bool goOn = !m_context.betweenRows || m_context.betweenRows();
        if (!goOn || m_store.isCancelled())
            return RunResult::Cancelled;
        m_data.next();
        if (m_data.eof() && !rows) {
            // The count came too late for the last row: it still ends the run at 100.
            m_store.reportProgress(progressPercent(done, m_data.recordCount()));
        }
    }

    finishPage(true);
    guard.armed = false;
    m_store.endRun();
    return RunResult::Completed;
}

} // namespace

RunResult compose(const ReportTemplate& report, ReportDataSet& dataSet, PageStore& store,
                  const RunContext& context)
{
    return Composer(report, dataSet, store, context).run();
}

} // namespace report
