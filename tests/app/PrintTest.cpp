// The statements printed for real: the command on the sample drive, the preview, the print
// dialog, and a print spooler of the test's own with a virtual PDF printer.
#include "app/UMain.h"
#include "app/UResp.h"
#include "platform/Messages.h"
#include "preview/Preview.h"
#include "report/engine/PdfWriter.h"
#include "report/UInforme.h"
#include "sample/SampleDrive.h"
#include "support/FakeDrives.h"
#include "support/Poppler.h"
#include "support/QtPrinting.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kQueue = QStringLiteral("Radaziz_PDF");

// Where the virtual printer puts the jobs of the user running the tests.
QString virtualPrinterOutput()
{
    const passwd* user = getpwuid(getuid());
    return QString::fromLocal8Bit(user ? user->pw_dir : "") + QStringLiteral("/PDF");
}

QStringList pdfFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

TEST(Printing, PagesTwoToFiveTwiceThroughTheSpooler)
{
    // The spooler that the test suite starts for itself, never the machine's own.
    const QString server = QStringLiteral(RADAZIZ_TEST_CUPS_SERVER);
    if (!QFileInfo::exists(server))
        GTEST_SKIP() << "no private print spooler (cups and printer-driver-cups-pdf)";
    qputenv("CUPS_SERVER", server.toLocal8Bit());

    testsupport::FakeDrives drives;
    const std::filesystem::path root = drives.addDrive('C');
    sample::writeSampleDrive(root);
    std::filesystem::current_path(root);
    std::vector<platform::Message> messages;
    const platform::MessageHandler oldHandler =
        platform::setMessageHandler([&](const platform::Message& m) { messages.push_back(m); });
    TMain window;
    Main = &window;
    window.show();

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TDResp*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("Responsavel")->setText(QStringLiteral("JOSÉ DA SILVA"));
        dialog->findChild<QPushButton*>("OKBtn")->click();
    });

    testsupport::TempDir dir;
    const QString expectedFile = QString::fromStdString((dir / "expected.pdf").string());
    const QString output = virtualPrinterOutput();
    const QStringList before = pdfFiles(output);
    QPointer<TQRInforme> report;
    int first = 0, last = 0, copies = 0;
    bool previewClosed = false;
    bool queueOffered = false;

    QRInforme = nullptr;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!QRInforme || report)
            return;
        report = QRInforme;
        QObject::connect(report->QRPrinter, &report::PageStore::runFinished, [&] {
            // What the preview shows of pages 2 to 5, as the exporter would write it.
            report::PdfOptions options;
            options.firstPage = 2;
            options.lastPage = 5;
            report::writePdf(*report->QRPrinter, expectedFile, options);
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, [&] {
                    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
                    ASSERT_NE(dialog, nullptr);
                    auto* printers = dialog->findChild<QComboBox*>("printers");
                    const int queue = printers->findText(kQueue);
                    queueOffered = queue >= 0;
                    printers->setCurrentIndex(queue);
                    dialog->findChild<QRadioButton*>("printRange")->setChecked(true);
                    dialog->findChild<QSpinBox*>("from")->setValue(2);
                    dialog->findChild<QSpinBox*>("to")->setValue(5);
                    dialog->findChild<QSpinBox*>("copies")->setValue(2);
                    dialog->accept();
                });
                window.findChild<TFPreview*>()->findChild<QAction*>("Imprimir")->trigger();
                first = report->FirstPage;
                last = report->LastPage;
                copies = report->Copies;
                previewClosed = !report->QRPrinter->isPreviewed();
            });
        });
    });
    watch.start(0);
    window.InformedeRendimentos1Click();
    platform::setMessageHandler(oldHandler);

    ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
    ASSERT_TRUE(queueOffered) << "the print dialog lists the spooler's printer";
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 5);
    EXPECT_EQ(copies, 2);
    EXPECT_TRUE(previewClosed);
    EXPECT_TRUE(report.isNull()) << "the command returned and destroyed the report";

    // The virtual printer writes the job a moment later.
    QString printed;
    QElapsedTimer waited;
    waited.start();
    while (printed.isEmpty() && waited.elapsed() < 90000) {
        for (const QString& f : pdfFiles(output)) {
            if (!before.contains(f))
                printed = output + QLatin1Char('/') + f;
        }
        if (printed.isEmpty())
            QThread::msleep(100); // polling an outside process, not timing the program
    }
    ASSERT_FALSE(printed.isEmpty()) << "no job came out of the virtual printer";
    // The file appears before the printer has finished writing it.
    int pages = -1;
    while (waited.elapsed() < 90000 && (pages = testsupport::pdfPageCount(printed)) != 8)
        QThread::msleep(100);
    const QStringList got = testsupport::pdfPageWords(printed);
    const QStringList expected = testsupport::pdfPageWords(expectedFile);
    QFile::remove(printed);
    ASSERT_EQ(pages, 8) << "pages 2 to 5, twice";
    ASSERT_EQ(expected.size(), 4);
    ASSERT_EQ(got.size(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(got[i], expected[i % 4]) << "printed page " << i + 1;
}

} // namespace
