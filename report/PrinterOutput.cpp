#include "report/PrinterOutput.h"

#include "report/PageRenderer.h"
#include "report/PageStore.h"
#include "report/ReportError.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

#include <vector>

namespace report {

namespace {

// The device pages in the order they come out: each page of the range once per copy.
std::vector<int> pageSequence(int first, int last, int copies, bool collate)
{
    std::vector<int> pages;
    pages.reserve(std::size_t(last - first + 1) * std::size_t(copies));
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int n = first; n <= last; ++n)
                pages.push_back(n);
    } else {
        for (int n = first; n <= last; ++n)
            for (int c = 0; c < copies; ++c)
                pages.push_back(n);
    }
    return pages;
}

void paintPages(const PageStore& store, QPrinter& printer, const std::vector<int>& pages,
                const PrintRequest& request)
{
    printer.setFullPage(true); // page coordinates from the paper's corner
    printer.setPageSize(QPageSize(store.paper()));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    printer.setDocName(request.title);

    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("Não foi possível iniciar a impressão."));
    const PageRenderer renderer(store);
    const int total = int(pages.size());
    for (int i = 0; i < total; ++i) {
        if (i > 0)
            printer.newPage();
        renderer.render(painter, pages[std::size_t(i)], printer.logicalDpiX(),
                        printer.logicalDpiY());
        if (request.progress && !request.progress(i + 1, total)) {
            printer.abort();
            return;
        }
    }
    if (!painter.end())
        throw ReportError(QStringLiteral("A impressão falhou."));
}

} // namespace

namespace {
QPrinter* theprinter = nullptr;
}

QPrinter& printer()
{
    if (!theprinter) {
        theprinter = new QPrinter(QPrinter::HighResolution);
        // Gone with the application object, before the print support it uses.
        qAddPostRoutine([] {
            delete theprinter;
            theprinter = nullptr;
        });
    }
    return *theprinter;
}

void printStore(const PageStore& store, QPrinter& printer, const PrintRequest& request)
{
    const int last = request.lastPage < 0 ? store.finishedCount()
                                          : std::min(request.lastPage, store.finishedCount());
    const int first = std::max(request.firstPage, 1);
    if (first > last)
        throw ReportError(QStringLiteral("Não há páginas a imprimir."));

    int copies = std::max(request.copies, 1);
    const bool collate = printer.collateCopies();
    printer.setCopyCount(copies);
    if (printer.supportsMultipleCopies())
        copies = 1; // the printer makes them
    else
        printer.setCopyCount(1);
    paintPages(store, printer, pageSequence(first, last, copies, collate), request);
}

} // namespace report
