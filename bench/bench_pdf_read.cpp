// How fast PDF readers get through our PDF, against the same pages written by Qt's own PDF
// engine: poppler's pdftotext -layout and pdftoppm on a few page ranges, the writing speed of
// both and their bytes per page. The pages are the exporter's: preparation pass, the report's
// query and composition over a payroll drive.
//
//   bench_pdf_read [DRIVE] [--responsavel NAME] [--keep DIR]
//
// DRIVE is a payroll drive such as `radaziz-sample-drive --generated 20000 6 DIR` writes (its
// work table is rebuilt); without one, that drive is generated in a temporary folder. --keep
// leaves both PDFs in DIR.
#include "db/Query.h"
#include "db/Table.h"
#include "prep/MontaTabelaIR.h"
#include "report/UInforme.h"
#include "report/engine/PageRenderer.h"
#include "report/engine/PdfWriter.h"
#include "report/engine/ReportFonts.h"
#include "sample/SampleDrive.h"

#include "BenchDrive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

double childProcessorSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Reading {
    double wall = 0;
    double cpu = 0;
};

// The best of `runs` runs of a poppler tool: the machine may be busy with other work.
Reading timeTool(const QString& tool, const QStringList& args, int runs)
{
    Reading best{1e9, 1e9};
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.setStandardOutputFile(QProcess::nullDevice());
        const double cpu = childProcessorSeconds();
        QElapsedTimer timer;
        timer.start();
        p.start(tool, args);
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode()) {
            std::fprintf(stderr, "%s failed\n", qPrintable(tool));
            std::exit(1);
        }
        best.wall = std::min(best.wall, double(timer.nsecsElapsed()) / 1e9);
        best.cpu = std::min(best.cpu, childProcessorSeconds() - cpu);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString drivePath;
    QString responsavel = QStringLiteral("JOSÉ DA SILVA");
    QString keep;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--responsavel" && i + 1 < args.size())
            responsavel = args[++i];
        else if (args[i] == u"--keep" && i + 1 < args.size())
            keep = args[++i];
        else
            drivePath = args[i];
    }
    for (const char* tool : {"pdftotext", "pdftoppm"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            std::fprintf(stderr, "%s is not installed (poppler-utils)\n", tool);
            return 1;
        }
    }

    // The drive is mapped as C: for the run.
    BenchDrive drive;
    if (drivePath.isEmpty()) {
        sample::GeneratedDriveOptions options;
        options.recordsPerEmployee = 6;
        drive.generate(options);
    } else {
        fs::create_directory_symlink(fs::absolute(drivePath.toStdString()), drive.root());
    }
    report::installFontSubstitutions();
    {
        db::Query sql;
        db::Table ir, dirf;
        prep::MontaTabelaIR('C', sql, ir, dirf);
    }
    TQRInforme report(nullptr, {[] { return 'C'; },
                                [&] {
                                    return responsavel;
                                }});
    report.locale = QLocale(QLocale::Portuguese, QLocale::Brazil);
    report.Fun.open();
    report.composePages();
    const report::PageStore& store = *report.QRPrinter;
    const int pages = store.finishedCount();
    if (pages == 0) {
        std::fprintf(stderr, "The drive gives no page\n");
        return 1;
    }

    QTemporaryDir temp;
    const QDir out(keep.isEmpty() ? temp.path() : keep);
    const QString ours = out.filePath(QStringLiteral("radaziz.pdf"));
    const QString qt = out.filePath(QStringLiteral("qt-engine.pdf"));

    QElapsedTimer timer;
    double oursSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        timer.start();
        report::writePdf(store, ours);
        oursSeconds = std::min(oursSeconds, double(timer.nsecsElapsed()) / 1e9);
    }
    timer.start();
    {
        QPdfWriter writer(qt);
        writer.setResolution(1200);
        report::printPages(store, writer);
    }
    const double qtSeconds = double(timer.nsecsElapsed()) / 1e9;
    const auto perPage = [&](const QString& file) {
        return double(QFileInfo(file).size()) / pages;
    };
    std::printf("pages: %d\n", pages);
    std::printf("writing:  ours %8.0f pages/s (%.2f s), %6.0f bytes/page\n", pages / oursSeconds,
                oursSeconds, perPage(ours));
    std::printf("          Qt   %8.0f pages/s (%.2f s), %6.0f bytes/page; ours %.0f× faster\n",
                pages / qtSeconds, qtSeconds, perPage(qt), qtSeconds / oursSeconds);

    struct Range {
        int first, last;
    };
    const auto clamp = [&](Range r) {
        return Range{std::clamp(r.first, 1, pages), std::clamp(r.last, 1, pages)};
    };
    const int middle = pages / 2;
    const std::vector<Range> textRanges = {clamp({1, 1}), clamp({1, 2000}),
                                           clamp({middle, middle + 199}),
                                           clamp({pages - 199, pages}), clamp({1, pages})};
    const std::vector<Range> pictureRanges = {clamp({1, 100}), clamp({middle, middle + 99}),
                                              clamp({pages - 99, pages})};
    const QString pictures = QDir(temp.path()).filePath(QStringLiteral("page"));

    std::printf("\nreading (best of runs; wall seconds, processor seconds in brackets)\n");
    std::printf("%-32s %20s %20s %8s\n", "", "ours", "Qt engine", "ours/Qt");
    const auto row = [&](const QString& what, const QString& tool, Range r, int runs,
                         const QStringList& extra) {
        const auto argsFor = [&](const QString& file) {
            QStringList a = extra;
            a << QStringLiteral("-f") << QString::number(r.first) << QStringLiteral("-l")
              << QString::number(r.last) << file;
            a << (tool == u"pdftotext" ? QStringLiteral("-") : pictures);
            return a;
        };
        const Reading a = timeTool(tool, argsFor(ours), runs);
        const Reading b = timeTool(tool, argsFor(qt), runs);
        std::printf("%-32s %9.3f (%7.3f) %9.3f (%7.3f) %8.2f\n",
                    qPrintable(QStringLiteral("%1 %2-%3").arg(what).arg(r.first).arg(r.last)),
                    a.wall, a.cpu, b.wall, b.cpu, a.cpu / b.cpu);
        std::fflush(stdout);
    };
    for (const Range& r : textRanges) {
        const int n = r.last - r.first + 1;
        row(QStringLiteral("pdftotext -layout"), QStringLiteral("pdftotext"), r, n > 2000 ? 1 : 3,
            {QStringLiteral("-layout")});
    }
    for (const Range& r : pictureRanges) {
        row(QStringLiteral("pdftoppm -r 72"), QStringLiteral("pdftoppm"), r, 1,
            {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png")});
    }
    return 0;
}
