// The whole headless job on a generated payroll drive: preparation pass, the report's query,
// page composition and PDF writing, each timed, with the time from the data set's opening to
// the first finished page.
//
//   bench_export [EMPLOYEES [RECORDS_PER_EMPLOYEE]]   (default 20000 × 6: one page or two each)
#include "db/Query.h"
#include "db/Table.h"
#include "prep/MontaTabelaIR.h"
#include "report/UInforme.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportFonts.h"
#include "sample/SampleDrive.h"

#include "BenchDrive.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const sample::GeneratedDriveOptions options = driveOptions(argc, argv, 1, 6);

    BenchDrive drive;
    drive.generate(options);
    report::installFontSubstitutions();

    QElapsedTimer clock;
    clock.start();
    {
        db::Query sql;
        db::Table ir, dirf;
        prep::MontaTabelaIR('C', sql, ir, dirf);
    }
    const qint64 pass = clock.nsecsElapsed();

    TQRInforme report(nullptr, {[] { return 'C'; },
                                [] {
                                    return QStringLiteral("BENCH");
                                }});
    report.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
    const qint64 openStart = clock.nsecsElapsed();
    report.Fun.open();
    const qint64 opened = clock.nsecsElapsed();
    qint64 firstPage = -1;
    QObject::connect(report.QRPrinter, &report::PageStore::pageAvailable, [&](int page) {
        if (page == 1)
            firstPage = clock.nsecsElapsed();
    });
    report.composePages();
    const qint64 composed = clock.nsecsElapsed();
    const qint64 counted = opened;
    const int rows = report.Fun.recordCount();
    const int pages = report.QRPrinter->finishedCount();
    const QString pdf = QString::fromStdString((drive.base() / "statements.pdf").string());
    report::writePdf(*report.QRPrinter, pdf);
    const qint64 written = clock.nsecsElapsed();
    const qint64 bytes = QFileInfo(pdf).size();

    auto ms = [](qint64 ns) {
        return ns / 1e6;
    };
    std::printf("Query plan:\n");
    for (const std::string& step : report.Fun.queryPlan())
        std::printf("  %s\n", step.c_str());
    std::printf("Rows %d, pages %d\n", rows, pages);
    std::printf("preparation pass       %8.1f ms\n", ms(pass));
    std::printf("query open (load+plan) %8.1f ms\n", ms(opened - openStart));
    std::printf("first page after open  %8.1f ms (from the open's start: %.1f ms)\n",
                ms(firstPage - opened), ms(firstPage - openStart));
    std::printf("composition            %8.1f ms (%.0f pages/s, %zu bytes/page in the store)\n",
                ms(composed - counted), pages / ((composed - counted) / 1e9),
                report.QRPrinter->memoryUsage() / std::max(1, pages));
    std::printf("PDF                    %8.1f ms (%lld bytes/page)\n", ms(written - composed),
                static_cast<long long>(bytes / std::max(1, pages)));
    std::printf("whole export           %8.1f ms\n", ms(written));
    return 0;
}
