// The window's command against the headless job on one generated payroll drive: how fast the
// pages are composed while the preview shows them, how long the event loop waits at most
// during composition, and how soon after the press on OK the first page is on screen.
//
//   bench_preview [EMPLOYEES [RECORDS_PER_EMPLOYEE]]   (default 20000 × 6)
#include "app/StatementJob.h"
#include "app/UMain.h"
#include "app/UResp.h"
#include "db/Query.h"
#include "db/Table.h"
#include "preview/Preview.h"
#include "preview/QRPreview.h"
#include "report/UInforme.h"
#include "report/engine/ReportFonts.h"
#include "sample/SampleDrive.h"

#include "BenchDrive.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// The headless job: pass, query, composition; returns the composition's pages per second.
double headless()
{
    StatementJob job('C', [] { return QStringLiteral("BENCH"); });
    db::Query sql;
    db::Table ir, dirf;
    QElapsedTimer clock;
    clock.start();
    const auto report = job.createReport(nullptr);
    job.prepare(sql, ir, dirf);
    const qint64 pass = clock.nsecsElapsed();
    job.openReport(*report);
    const qint64 open = clock.nsecsElapsed();
    qint64 first = -1;
    QObject::connect(report->QRPrinter, &report::PageStore::pageAvailable, [&](int page) {
        if (page == 1)
            first = clock.nsecsElapsed();
    });
    clock.restart();
    report->composePages();
    const qint64 composed = clock.nsecsElapsed();
    std::printf("headless: pass %.1f ms (payroll tables loaded meanwhile), query open %.1f ms, "
                "first page %.1f ms later\n",
                ms(pass), ms(open - pass), ms(first));
    const int pages = report->QRPrinter->finishedCount();
    std::printf("headless: %d pages composed in %.1f ms (%.0f pages/s)\n", pages, ms(composed),
                pages / (composed / 1e9));
    return pages / (composed / 1e9);
}

// Paints of the preview's page area, and the first one that shows a finished page.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* viewport, report::PageStore* store, const QElapsedTimer& clock)
        : m_store(store)
        , m_clock(clock)
    {
        viewport->installEventFilter(this);
    }
    qint64 firstPage = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && firstPage < 0 && !m_store->page(1).empty())
            firstPage = m_clock.nsecsElapsed();
        return false;
    }

private:
    report::PageStore* m_store;
    const QElapsedTimer& m_clock;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const sample::GeneratedDriveOptions options = driveOptions(argc, argv, 1, 6);

    BenchDrive drive;
    drive.generate(options);
    std::filesystem::current_path(drive.root());
    report::installFontSubstitutions();

    const double headlessSpeed = headless();

    TMain window;
    Main = &window;
    window.resize(1280, 1024);
    window.show();

    QElapsedTimer clock;
    qint64 pressed = -1, started = -1, finished = -1;
    int pages = 0;
    std::unique_ptr<PaintWatch> paints;

    // The event loop's longest wait while composing: a timer that wants to run all the time.
    qint64 lastTurn = -1, longestWait = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (started >= 0 && finished < 0 && lastTurn >= 0)
            longestWait = std::max(longestWait, now - lastTurn);
        lastTurn = now;
    });

    QRInforme = nullptr;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!QRInforme || paints)
            return;
        report::PageStore* store = QRInforme->QRPrinter;
        auto* preview = window.findChild<TFPreview*>();
        if (!preview)
            return;
        paints = std::make_unique<PaintWatch>(preview->Preview->viewport(), store, clock);
        started = clock.nsecsElapsed();
        std::printf("window:   preview open %.1f ms after OK\n", ms(started - pressed));
        heartbeat.start(0);
        QObject::connect(store, &report::PageStore::runFinished, [&, store] {
            finished = clock.nsecsElapsed();
            pages = store->finishedCount();
            heartbeat.stop();
            QTimer::singleShot(
                0, [&] { window.findChild<TFPreview*>()->findChild<QAction*>("Sair")->trigger(); });
        });
    });
    watch.start(0);
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TDResp*>(QApplication::activeModalWidget());
        clock.start();
        pressed = 0;
        dialog->findChild<QPushButton*>("OKBtn")->click();
    });
    window.InformedeRendimentos1Click();

    const double guiSpeed = pages / ((finished - started) / 1e9);
    std::printf("window:   %d pages composed in %.1f ms (%.0f pages/s, %.0f%% of headless)\n",
                pages, ms(finished - started), guiSpeed, 100 * guiSpeed / headlessSpeed);
    std::printf("longest wait of the event loop while composing: %.1f ms\n", ms(longestWait));
    std::printf("first page on screen %.1f ms after OK (pass and query included)\n",
                ms(paints && paints->firstPage >= 0 ? paints->firstPage - pressed : -1));
    return 0;
}
