// Printing every page of a generated payroll drive through the print spooler: the program's
// own part (composing again, writing the job, handing it to the spooler) in pages per second,
// where the time goes, and how soon the cancel button of the "Printing progress" window stops
// a print.
//
//   CUPS_SERVER=SOCKET bench_print QUEUE [EMPLOYEES [RECORDS_PER_EMPLOYEE]]
//
// Start a private spooler first (scripts/cups-private.sh start DIR; the queue is Radaziz_PDF)
// and hold the queue (cupsdisable Radaziz_PDF) so that the virtual printer does not turn
// 20,000 pages into a PDF meanwhile; cancel -a afterwards.
#include "app/StatementJob.h"
#include "db/Query.h"
#include "db/Table.h"
#include "report/UInforme.h"
#include "report/engine/PageStore.h"
#include "report/engine/PrintProgress.h"
#include "report/engine/PrinterOutput.h"
#include "report/engine/ReportFonts.h"
#include "sample/SampleDrive.h"

#include "BenchDrive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

report::PrintProgress* progressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* p = qobject_cast<report::PrintProgress*>(w); p && p->isVisible())
            return p;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_print QUEUE [EMPLOYEES [RECORDS_PER_EMPLOYEE]]\n");
        return 2;
    }
    const QString queue = QString::fromLocal8Bit(argv[1]);
    const sample::GeneratedDriveOptions options = driveOptions(argc, argv, 2, 6);

    BenchDrive drive;
    drive.generate(options);
    report::installFontSubstitutions();

    StatementJob job('C', [] { return QStringLiteral("BENCH"); });
    db::Query sql;
    db::Table ir, dirf;
    const auto report = job.run(sql, ir, dirf);
    report->composePages();
    const int pages = report->QRPrinter->finishedCount();

    QPrinter& printer = report::printer();
    printer.setPrinterName(queue);
    if (printer.printerName() != queue || printer.outputFormat() != QPrinter::NativeFormat) {
        std::fprintf(stderr, "no printer %s (is CUPS_SERVER set?)\n", argv[1]);
        return 1;
    }

    // Where the time goes: the same steps as a print run, one by one.
    QElapsedTimer clock;
    clock.start();
    report->composePages();
    const qint64 composed = clock.nsecsElapsed();
    qint64 written = 0;
    report::PrintRequest request;
    request.title = QStringLiteral("bench");
    request.progress = [&](int done, int total) {
        // Called again for each piece handed to the spooler: the first call at the end counts.
        if (done == total && written == 0)
            written = clock.nsecsElapsed();
        return true;
    };
    report::printStore(*report->QRPrinter, printer, request);
    const qint64 spooled = clock.nsecsElapsed();
    std::printf("%d pages: composing %.0f ms, writing the job %.0f ms, handing it to the "
                "spooler %.0f ms\n",
                pages, ms(composed), ms(written - composed), ms(spooled - written));
    std::printf("program's part: %.0f pages/s\n", pages / (spooled / 1e9));

    // The whole print run as the preview starts it, with its progress window.
    clock.restart();
    report->Print();
    const qint64 printed = clock.nsecsElapsed();
    std::printf("print run (all pages): %.0f ms, %.0f pages/s\n", ms(printed),
                pages / (printed / 1e9));

    // Cancel: pressed at several moments of a run; the time until the run has stopped.
    qint64 worst = 0;
    for (int at : {50, 300, 700, 1200, 1600}) {
        qint64 pressed = -1;
        QTimer press;
        press.setSingleShot(true);
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (report::PrintProgress* window = progressWindow()) {
                pressed = clock.nsecsElapsed();
                window->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
            }
        });
        clock.restart();
        press.start(at);
        report->Print();
        const qint64 stopped = clock.nsecsElapsed();
        if (pressed >= 0) {
            std::printf("cancel at %4d ms: stopped %.1f ms later\n", at, ms(stopped - pressed));
            worst = std::max(worst, stopped - pressed);
        } else {
            std::printf("cancel at %4d ms: the run had ended (%.0f ms)\n", at, ms(stopped));
        }
    }
    std::printf("longest answer to cancel: %.1f ms\n", ms(worst));
    return 0;
}
