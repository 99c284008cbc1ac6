#include "report/engine/PrinterOutput.h"

#include "platform/Spooler.h"
#include "report/engine/PageRenderer.h"
#include "report/engine/PageStore.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportError.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryFile>

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

// What the print dialog set of the printer's own options (sides, trays, quality), as the
// spooler names them. Qt keeps them in a property of the print engine.
std::vector<std::pair<std::string, std::string>> spoolerOptions(QPrinter& printer)
{
    constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    std::vector<std::pair<std::string, std::string>> options;
    const QStringList list = printer.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < list.size(); i += 2) {
        const QString& name = list[i];
        // Copies and pages are the program's to say.
        if (name == QLatin1String("copies") || name == QLatin1String("page-ranges") ||
            name == QLatin1String("Collate") || name == QLatin1String("multiple-document-handling"))
            continue;
        options.emplace_back(name.toStdString(), list[i + 1].toStdString());
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    default:
        break;
    }
    return options;
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
    const int copies = std::max(request.copies, 1);
    const bool collate = printer.collateCopies();

    PdfOptions pdf;
    pdf.title = request.title;
    pdf.progress = request.progress;

    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // A file makes no copies of its own: they are pages of the document.
        const QString file = printer.outputFileName();
        if (file.isEmpty())
            throw ReportError(QStringLiteral("Nenhum arquivo foi escolhido para a impressão."));
        pdf.pages = pageSequence(first, last, copies, collate);
        writePdf(store, file, pdf);
        return;
    }

    if (platform::spoolerAvailable() && !printer.printerName().isEmpty()) {
        // The spooler takes the document as PDF and makes the copies itself, as Qt's own
        // print engine hands it over; the pages are written by the program's PDF writer.
        QTemporaryFile job(QDir::tempPath() + QStringLiteral("/radaziz-print-XXXXXX.pdf"));
        if (!job.open()) {
            throw ReportError(
                QStringLiteral("Não foi possível preparar a impressão: %1").arg(job.errorString()));
        }
        pdf.pages = pageSequence(first, last, 1, collate);
        if (!writePdf(store, job, pdf))
            return;
        if (!job.flush())
            throw ReportError(
                QStringLiteral("Não foi possível preparar a impressão: %1").arg(job.errorString()));
        std::vector<std::pair<std::string, std::string>> options = spoolerOptions(printer);
        options.emplace_back("copies", std::to_string(copies));
        options.emplace_back("multiple-document-handling",
                             collate ? "separate-documents-collated-copies"
                                     : "separate-documents-uncollated-copies");
        try {
            // The pages are written; a cancel during the hand-over withdraws the job.
            const int pages = int(pdf.pages.size());
            platform::spoolPdf(printer.printerName().toStdString(), job.fileName().toStdString(),
                               request.title.toStdString(), options,
                               [&] { return !request.progress || request.progress(pages, pages); });
        } catch (const std::exception& e) {
            throw ReportError(QString::fromStdString(e.what()));
        }
        return;
    }

    printer.setCopyCount(copies);
    int repeat = copies;
    if (printer.supportsMultipleCopies())
        repeat = 1; // the printer makes them
    else
        printer.setCopyCount(1);
    paintPages(store, printer, pageSequence(first, last, repeat, collate), request);
}

} // namespace report
