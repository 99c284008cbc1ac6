#include "report/engine/Report.h"

#include "report/engine/EventPump.h"
#include "report/engine/PageStore.h"
#include "report/engine/PrintProgress.h"
#include "report/engine/PrinterOutput.h"
#include "report/engine/ReportError.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QPrinter>

namespace report {

Report::Report(QObject* owner)
    : QObject(owner)
    , QRPrinter(new PageStore(this))
{
}

Report::~Report() = default;

int Report::PaperSize() const noexcept
{
    return paperSizeIndex(Template.page.paper);
}

void Report::groupStarted(const Band&, int, PageStore&) {}

RunResult Report::composeInto(PageStore& store, std::function<bool()> betweenRows)
{
    RunContext context;
    context.date = today();
    context.locale = locale;
    context.betweenRows = std::move(betweenRows);
    context.groupStarted = [this, &store](const Band& group, int page) {
        groupStarted(group, page, store);
    };
    return report::compose(Template, dataSet(), store, context);
}

RunResult Report::compose(std::function<bool()> betweenRows)
{
    return composeInto(*QRPrinter, std::move(betweenRows));
}

void Report::Preview()
{
    PageStore& store = *QRPrinter;
    if (OnPreview)
        OnPreview(store);

    // The first page goes on screen as soon as it is finished, not at the next turn of the
    // pump.
    EventPump pump;
    const QMetaObject::Connection first =
        connect(&store, &PageStore::pageAvailable, this, [&pump](int page) {
            if (page == 1)
                pump.requestNow();
        });
    pump.now(); // the window shows before composition starts
    const RunResult result = compose([&] {
        pump();
        return !Terminated();
    });
    disconnect(first);
    if (result == RunResult::Cancelled || !store.isPreviewed() || Terminated())
        return;

    QEventLoop wait;
    connect(&store, &PageStore::previewReleased, &wait, &QEventLoop::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, &wait, &QEventLoop::quit);
    wait.exec();
}

void Report::Print()
{
    QPrinter& target = printer();
    if (!PrinterName.isEmpty() && target.printerName() != PrinterName)
        target.setPrinterName(PrinterName);

    // The window takes the focus as the print begins; it is closed whatever ends the run. It
    // has no parent: the window active now may be a dialog that is about to go.
    QPointer<PrintProgress> progress = new PrintProgress(nullptr);
    struct Closer {
        QPointer<PrintProgress>& window;
        ~Closer()
        {
            if (window) {
                window->hide();
                window->deleteLater();
            }
        }
    } closer{progress};
    progress->show();
    progress->activateWindow();

    EventPump pump;
    pump.now();
    const auto cancelled = [&] {
        return !progress || progress->cancelRequested() || Terminated();
    };

    PageStore pages;
    const int last = LastPage > 0 ? LastPage : -1;
    const RunResult result = composeInto(pages, [&] {
        if (pump.due() && progress)
            progress->setPage(pages.pageCount());
        pump();
        // Pages past the range are not needed.
        return !cancelled() && !(last > 0 && pages.finishedCount() >= last);
    });
    if (cancelled() || (result == RunResult::Cancelled && pages.finishedCount() < last))
        return;

    PrintRequest request;
    request.firstPage = std::max(FirstPage, 1);
    request.lastPage = last;
    request.copies = std::max(Copies, 1);
    request.title = Template.title;
    request.progress = [&](int page, int total) {
        if (pump.due() && progress)
            progress->setPrinted(page, total);
        pump();
        return !cancelled();
    };
    printStore(pages, target, request);
}

int paperSizeIndex(QPageSize::PageSizeId paper) noexcept
{
    switch (paper) {
    case QPageSize::Letter:
        return 1;
    case QPageSize::Tabloid: // 11 × 17
        return 3;
    case QPageSize::Ledger:
        return 4;
    case QPageSize::Legal:
        return 5;
    case QPageSize::Statement:
        return 6;
    case QPageSize::Executive:
        return 7;
    case QPageSize::A3:
        return 8;
    case QPageSize::A4:
        return 9;
    case QPageSize::A5:
        return 11;
    case QPageSize::B4:
        return 12;
    case QPageSize::B5:
        return 13;
    case QPageSize::Folio:
        return 14;
    case QPageSize::Quarto:
        return 15;
    case QPageSize::Imperial10x14:
        return 16;
    case QPageSize::Note:
        return 18;
    case QPageSize::Envelope9:
        return 19;
    case QPageSize::Envelope10:
        return 20;
    case QPageSize::Envelope11:
        return 21;
    case QPageSize::Envelope12:
        return 22;
    case QPageSize::Envelope14:
        return 23;
    case QPageSize::AnsiC:
        return 24;
    case QPageSize::AnsiD:
        return 25;
    case QPageSize::AnsiE:
        return 26;
    case QPageSize::Custom:
        return 27;
    default:
        return 0;
    }
}

} // namespace report
