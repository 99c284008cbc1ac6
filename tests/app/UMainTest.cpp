#include "app/UMain.h"
#include "app/UResp.h"
#include "platform/Cursor.h"
#include "platform/Messages.h"
#include "preview/Preview.h"
#include "preview/QRPreview.h"
#include "report/UInforme.h"
#include "sample/DbfWriter.h"
#include "sample/SampleDrive.h"
#include "support/FakeDrives.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Acts on the modal dialog once the command shows it.
void whenDialogOpens(std::function<void(TDResp&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<TDResp*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(*d);
    });
}

void press(TDResp& d, const char* button)
{
    d.findChild<QPushButton*>(button)->click();
}

class UMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = drives.addDrive('C');
        std::filesystem::create_directories(root / "FP");
        testsupport::writeFile(root / "FP" / "TELA.FP", "");
        std::filesystem::current_path(root);
        window = std::make_unique<TMain>();
        Main = window.get();
        oldHandler = platform::setMessageHandler(
            [this](const platform::Message& m) { messages.push_back(m); });
    }
    void TearDown() override
    {
        window.reset();
        platform::setMessageHandler(std::move(oldHandler));
    }

    QAction* action(const char* name) const { return window->findChild<QAction*>(name); }

    testsupport::FakeDrives drives;
    std::filesystem::path root;
    std::unique_ptr<TMain> window;
    platform::MessageHandler oldHandler;
    std::vector<platform::Message> messages;
};

} // namespace

TEST_F(UMainTest, MenuAndCaption)
{
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral(
                  "Programa Aux de Impressão do Radaziz de Rendimentos (2000) Referente 1999"));
    EXPECT_EQ(action("InformedeRendimentos1")->text(), QStringLiteral("Radaziz de Rendimentos"));
    EXPECT_EQ(action("Sair1")->text(), QStringLiteral("Sair"));
    EXPECT_EQ(action("Sobre1")->text(), QStringLiteral("Sobre"));
    const auto topLevel = window->menuBar()->actions();
    ASSERT_EQ(topLevel.size(), 2);
    EXPECT_EQ(topLevel[0]->text(), QStringLiteral("Imprimir"));
    EXPECT_EQ(topLevel[1], action("Sobre1"));
    EXPECT_TRUE(window->NomeResponsavel.isEmpty());
    EXPECT_EQ(window->DriveFolha, '\0');
}

TEST_F(UMainTest, SairClosesTheWindow)
{
    window->show();
    action("Sair1")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(UMainTest, CancelledDialogTouchesNothing)
{
    std::filesystem::create_directories(root / "dirf99");
    testsupport::writeFile(root / "dirf99" / "IR.DB", "old");
    whenDialogOpens([](TDResp& d) {
        d.findChild<QLineEdit*>("Responsavel")->setText("ANA");
        press(d, "Button1");
    });
    window->InformedeRendimentos1Click();
    EXPECT_EQ(testsupport::readFile(root / "dirf99" / "IR.DB"), "old");
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
    EXPECT_EQ(window->NomeResponsavel, QStringLiteral("ANA"));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(action("InformedeRendimentos1")->isEnabled());
}

TEST_F(UMainTest, MissingRawTableStopsTheCommandWithTheEngineMessage)
{
    std::filesystem::create_directories(root / "dirf99");
    bool disabledDuringRun = false;
    whenDialogOpens([&](TDResp& d) {
        disabledDuringRun = !action("InformedeRendimentos1")->isEnabled();
        press(d, "OKBtn");
    });
    window->InformedeRendimentos1Click();
    EXPECT_TRUE(disabledDuringRun) << "one run at a time";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Table does not exist: C:\\dirf99\\ir_cru.dbf."));
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::Stop);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Utilitário de Impressão Radaziz (DIRF99)"));
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
    EXPECT_FALSE(window->IR.active()) << "tables opened by the failed pass are closed";
    EXPECT_TRUE(std::filesystem::exists(root / "dirf99" / "IR.DB")) << "created empty before";
    EXPECT_TRUE(action("InformedeRendimentos1")->isEnabled());
}

TEST_F(UMainTest, ConfirmedDialogShowsTheStatementsInThePreviewUntilItCloses)
{
    sample::writeSampleDrive(root);
    window->show();
    whenDialogOpens([](TDResp& d) {
        d.findChild<QLineEdit*>("Responsavel")->setText("ANA");
        press(d, "OKBtn");
    });
    QRInforme = nullptr; // the program never clears it; this test reads it only while it lives
    QPointer<TQRInforme> report;
    QPointer<TFPreview> preview;
    bool firstPageWhileComposing = false;
    int pages = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!QRInforme || report)
            return;
        report = QRInforme;
        preview = window->findChild<TFPreview*>();
        ASSERT_TRUE(preview) << "the preview opens inside the main window";
        report::PageStore* store = report->QRPrinter;
        QObject::connect(store, &report::PageStore::pageAvailable, [&, store](int page) {
            if (page == 1)
                firstPageWhileComposing = store->isComposing() && preview->isVisible() &&
                                          preview->Preview->PageNumber() == 1;
        });
        QObject::connect(store, &report::PageStore::runFinished, [&, store] {
            pages = store->finishedCount();
            // The clerk has seen enough.
            QTimer::singleShot(0, [&] { preview->findChild<QAction*>("Sair")->trigger(); });
        });
    });
    watch.start(0);
    window->InformedeRendimentos1Click();
    EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
    EXPECT_TRUE(firstPageWhileComposing) << "page 1 on screen while later ones are composed";
    EXPECT_GT(pages, 10);
    EXPECT_TRUE(report.isNull()) << "the command destroys the report once the preview closes";
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
    EXPECT_TRUE(window->findChildren<QMdiSubWindow*>().isEmpty()) << "the frame is empty again";
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
    EXPECT_TRUE(std::filesystem::exists(root / "DIRF99" / "IR.DB"));
    EXPECT_FALSE(window->IR.active());
    EXPECT_FALSE(window->DIRF.active());
    EXPECT_TRUE(action("InformedeRendimentos1")->isEnabled());
}

TEST_F(UMainTest, ClosingTheMainWindowEndsARunWaitingOnItsPreview)
{
    sample::writeSampleDrive(root);
    window->show();
    whenDialogOpens([](TDResp& d) { press(d, "OKBtn"); });
    QRInforme = nullptr;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QRInforme && !QRInforme->QRPrinter->isComposing() &&
            QRInforme->QRPrinter->finishedCount() > 0)
            window->close();
    });
    watch.start(0);
    window->InformedeRendimentos1Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(UMainTest, AboutBoxOpensFromTheMenuAndClosesThePreview)
{
    sample::writeSampleDrive(root);
    window->show();
    whenDialogOpens([](TDResp& d) { press(d, "OKBtn"); });
    QRInforme = nullptr;
    bool aboutShown = false;
    bool previewClosedByAbout = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!QRInforme || QRInforme->QRPrinter->isComposing() || aboutShown)
            return;
        aboutShown = true;
        report::PageStore* store = QRInforme->QRPrinter;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
            box->accept();
        });
        action("Sobre1")->trigger();
        previewClosedByAbout = !store->isPreviewed();
    });
    watch.start(0);
    window->InformedeRendimentos1Click();
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(previewClosedByAbout);
}

TEST_F(UMainTest, MissingWorkDirectoryStopsTheCommand)
{
    whenDialogOpens([](TDResp& d) { press(d, "OKBtn"); });
    window->InformedeRendimentos1Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Directory does not exist: C:\\dirf99."));
}
