#include "preview/Preview.h"
#include "preview/HeaderControl.h"
#include "preview/QRPreview.h"
#include "report/ReportTestSupport.h"
#include "report/StatementTemplate.h"
#include "report/engine/PageStore.h"
#include "report/engine/Report.h"
#include "support/Poppler.h"
#include "support/QtPrinting.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using reporttest::FakeDataSet;

// The statement layout over rows in memory: one page per employee.
class FakeReport : public report::Report {
public:
    explicit FakeReport(int statements)
    {
        Template = report::statementTemplate();
        today = [] {
            return QDate(2000, 1, 31);
        };
        for (int i = 1; i <= statements; ++i) {
            reporttest::addStatement(m_data, QStringLiteral("01"),
                                     QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')),
                                     {QStringLiteral("41"), QStringLiteral("42")});
            // Statement i is employee "FUNCIONÁRIO 0000i" with CPF digits 0000000000i.
            for (int r = int(m_data.rows().size()) - 2; r < int(m_data.rows().size()); ++r)
                m_data.row(r)[QStringLiteral("FU_CPF")] =
                    QStringLiteral("%1").arg(i, 11, 10, QLatin1Char('0'));
        }
    }

protected:
    report::ReportDataSet& dataSet() override { return m_data; }
    void groupStarted(const report::Band& group, int page, report::PageStore& store) override
    {
        if (group.name == QLatin1String("QRGroup1"))
            store.addBookmark(page, m_data.fieldValue(QStringLiteral("FU_NOME")) + u'\n' +
                                        m_data.fieldValue(QStringLiteral("FU_CPF")));
    }

private:
    FakeDataSet m_data;
};

class PreviewWindow : public ::testing::Test {
protected:
    // The window bound to the report's store, as the report's preview handler does it.
    void open(int statements)
    {
        report = std::make_unique<FakeReport>(statements);
        window = new TFPreview(report.get(), nullptr);
        window->Preview->setQRPrinter(report->QRPrinter);
        window->Relatorio = report.get();
    }
    void compose(std::function<bool()> betweenRows = {})
    {
        ASSERT_EQ(report->compose(std::move(betweenRows)), report::RunResult::Completed);
    }

    QAction* button(const char* name) const { return window->findChild<QAction*>(name); }
    void press(const char* name, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            button(name)->trigger();
    }
    QString section(int i) const { return window->Header->sectionText(i); }
    QWidget* page() const { return window->Preview->viewport(); }

    std::unique_ptr<FakeReport> report;
    QPointer<TFPreview> window;
};

TEST_F(PreviewWindow, DesignedToolbarHeaderAndStartState)
{
    open(3);
    struct Entry {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Entry entries[] = {
        {"Primeira", "Primeira Pag", "Primeira Página"},
        {"Proxima", "Próxima", "Próxima Página"},
        {"Anterior", "Anterior", "Página Anterior"},
        {"Ultima", "Última", "Última Página"},
        {"ToolButton6", nullptr, nullptr},
        {"ZoomMenos", "Zoom", "Aumentar a Definição"},
        {"ZoomMais", "Zoom ", "Diminuir a Definição"},
        {"ToolButton4", nullptr, nullptr},
        {"Imprimir", "Imprimir", "Imprimir o Relatório"},
        {"Configurar", "Configurar", "Configurar a Impressora"},
        {"ToolButton9", nullptr, nullptr},
        {"Sair", "Sair", "Sair da Visualização"},
    };
    const QList<QAction*> actions = window->ToolBar->actions();
    ASSERT_EQ(actions.size(), 12);
    for (int i = 0; i < 12; ++i) {
        const Entry& e = entries[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(actions[i]->objectName(), QLatin1String(e.name));
        if (!e.caption) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        auto* tool = qobject_cast<QToolButton*>(window->ToolBar->widgetForAction(actions[i]));
        ASSERT_NE(tool, nullptr);
        EXPECT_EQ(tool->text(), QString::fromUtf8(e.caption)) << "what the button shows";
        EXPECT_EQ(tool->toolTip(), QString::fromUtf8(e.hint));
        EXPECT_EQ(tool->size(), QSize(60, 35));
        EXPECT_FALSE(actions[i]->icon().isNull());
        EXPECT_EQ(actions[i]->isEnabled(), i != 8) << "only Imprimir starts disabled";
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Visualizador de Impressão"));
    EXPECT_EQ(window->toolBarArea(window->ToolBar), Qt::RightToolBarArea);
    EXPECT_EQ(window->Preview->toolTip(), QStringLiteral("Dê um Click para Ligar/Desligar Botões"));
    EXPECT_EQ(window->ToolBar->toolTip(),
              QStringLiteral("Duplo Click coloca os botões na Horizontal/Vertical"));

    ASSERT_EQ(window->Header->sectionCount(), 4);
    const QString texts[] = {QString(), QStringLiteral("Página:"), QStringLiteral("Zoom:    %"),
                             QStringLiteral("Papel:")};
    const int widths[] = {200, 100, 100, 140};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(section(i), texts[i]);
        EXPECT_EQ(window->Header->section(i).width, widths[i]);
    }
    EXPECT_EQ(window->ProgressBar->geometry(), QRect(0, 0, 200, 16));
    EXPECT_FALSE(window->ProgressBar->isHidden());
    EXPECT_EQ(window->Preview->PageNumber(), 1);
    EXPECT_EQ(window->Preview->Zoom(), 100);
    EXPECT_TRUE(report->QRPrinter->isPreviewed());
}

TEST_F(PreviewWindow, PagesAndZoomStopAtTheirEnds)
{
    open(12);
    compose();
    ASSERT_EQ(report->QRPrinter->pageCount(), 12);

    press("Ultima");
    EXPECT_EQ(section(1), QStringLiteral("Página: 12 de 12"));
    press("Proxima");
    EXPECT_EQ(section(1), QStringLiteral("Página: 12 de 12")) << "no page after the last";
    press("Primeira");
    EXPECT_EQ(section(1), QStringLiteral("Página: 1 de 12"));
    press("Anterior");
    EXPECT_EQ(section(1), QStringLiteral("Página: 1 de 12")) << "no page before the first";
    press("Proxima", 2);
    EXPECT_EQ(section(1), QStringLiteral("Página: 3 de 12"));

    press("ZoomMenos", 3);
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 130%"));
    window->Preview->setZoom(100);
    press("ZoomMais", 11);
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 10%"));
    window->Preview->setZoom(2000);
    press("ZoomMenos");
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 2000%"));

    // The control ignores what is out of range.
    window->Preview->setPageNumber(0);
    window->Preview->setPageNumber(13);
    EXPECT_EQ(window->Preview->PageNumber(), 3);
    window->Preview->setZoom(1);
    window->Preview->setZoom(2001);
    EXPECT_EQ(window->Preview->Zoom(), 2000);
    window->Preview->setZoom(2);
    EXPECT_EQ(window->Preview->Zoom(), 2);
    EXPECT_EQ(window->Preview->pageExtent(), QSize(16, 21)) << "816 × 1056 at 100";
}

TEST_F(PreviewWindow, ProgressNamesThePaperAndEnablesPrintingAtTheEnd)
{
    open(4);
    int rows = 0;
    bool disabledWhileBuilding = true;
    QString paperAtFirstRow;
    QString pageHeaderWhileBuilding;
    compose([&] {
        if (++rows == 1)
            paperAtFirstRow = section(3);
        if (window->ProgressBar->value() < 100)
            disabledWhileBuilding = disabledWhileBuilding && !button("Imprimir")->isEnabled();
        if (rows == 5)
            pageHeaderWhileBuilding = section(1);
        return true;
    });
    EXPECT_EQ(paperAtFirstRow, QStringLiteral("Papel: Letter"));
    EXPECT_TRUE(disabledWhileBuilding);
    EXPECT_EQ(pageHeaderWhileBuilding, QStringLiteral("Página: 1 de 2"))
        << "the total grows as pages are finished";
    EXPECT_TRUE(button("Imprimir")->isEnabled());
    EXPECT_TRUE(window->ProgressBar->isHidden());
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 100%"));
    EXPECT_EQ(section(1), QStringLiteral("Página: 1 de 4"));
}

TEST_F(PreviewWindow, EmptyReportLeavesTheWindowAsCreated)
{
    open(0);
    compose();
    EXPECT_FALSE(button("Imprimir")->isEnabled());
    EXPECT_EQ(section(2), QStringLiteral("Zoom:    %"));
    EXPECT_FALSE(window->ProgressBar->isHidden());
}

TEST_F(PreviewWindow, ClickTogglesTheToolbarAndDoubleClickMovesIt)
{
    open(2);
    compose();
    QTest::mouseClick(page(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_TRUE(window->ToolBar->isHidden());
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 100%"));
    QTest::mouseClick(page(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_FALSE(window->ToolBar->isHidden());

    QTest::mouseDClick(window->ToolBar, Qt::LeftButton, {}, QPoint(30, 400));
    EXPECT_EQ(window->toolBarArea(window->ToolBar), Qt::BottomToolBarArea);
    EXPECT_EQ(window->ToolBar->orientation(), Qt::Horizontal);
    QTest::mouseDClick(window->ToolBar, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_EQ(window->toolBarArea(window->ToolBar), Qt::RightToolBarArea);
    EXPECT_EQ(window->ToolBar->orientation(), Qt::Vertical);
}

TEST_F(PreviewWindow, KeysAndWheelGoThroughTheButtons)
{
    open(5);
    compose();
    TQRPreview* preview = window->Preview;
    struct Step {
        QKeyCombination key;
        QString header;
        int section;
    };
    const Step steps[] = {
        {QKeyCombination(Qt::Key_PageDown), QStringLiteral("Página: 2 de 5"), 1},
        {QKeyCombination(Qt::Key_End), QStringLiteral("Página: 5 de 5"), 1},
        {QKeyCombination(Qt::Key_PageDown), QStringLiteral("Página: 5 de 5"), 1},
        {QKeyCombination(Qt::Key_Home), QStringLiteral("Página: 1 de 5"), 1},
        {QKeyCombination(Qt::Key_PageUp), QStringLiteral("Página: 1 de 5"), 1},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Plus), QStringLiteral("Zoom: 110%"), 2},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Minus), QStringLiteral("Zoom: 100%"), 2},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_Minus), QStringLiteral("Zoom: 90%"), 2},
    };
    for (const Step& s : steps) {
        QTest::keyClick(preview, s.key.key(), s.key.keyboardModifiers());
        EXPECT_EQ(section(s.section), s.header);
    }

    const auto wheel = [&](int delta, Qt::KeyboardModifiers mods = {}) {
        QWheelEvent event(QPointF(50, 50), page()->mapToGlobal(QPointF(50, 50)), {},
                          QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(page(), &event);
    };
    preview->setZoom(100);
    QScrollBar* bar = preview->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page is taller than the view";
    wheel(-120);
    EXPECT_GT(bar->value(), 0) << "the wheel scrolls the page first";
    EXPECT_EQ(section(1), QStringLiteral("Página: 1 de 5"));
    bar->setValue(bar->maximum());
    wheel(-120);
    EXPECT_EQ(section(1), QStringLiteral("Página: 2 de 5")) << "past the bottom: next page";
    EXPECT_EQ(bar->value(), 0);
    wheel(120);
    EXPECT_EQ(section(1), QStringLiteral("Página: 1 de 5")) << "past the top: previous page";
    EXPECT_EQ(bar->value(), bar->maximum()) << "seen from its bottom";

    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 110%"));
    wheel(-240, Qt::ControlModifier);
    EXPECT_EQ(section(2), QStringLiteral("Zoom: 90%"));
}

TEST_F(PreviewWindow, FindGoesToTheNextMatchingStatement)
{
    open(12);
    compose();
    auto* bar = window->findChild<QWidget*>("FindBar");
    auto* text = window->findChild<QLineEdit*>("FindText");
    EXPECT_TRUE(bar->isHidden()) << "the designed window is unchanged";
    QTest::keyClick(window->Preview, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(bar->isHidden());

    struct Case {
        QString text;
        QString header;
    };
    const Case cases[] = {
        {QStringLiteral("funcionario 00007"), QStringLiteral("Página: 7 de 12")}, // no accent
        {QStringLiteral("00000000011"), QStringLiteral("Página: 11 de 12")},      // CPF digits
        {QStringLiteral("FUNCIONÁRIO 0000"), QStringLiteral("Página: 1 de 12")},  // wraps round
        {QStringLiteral("FUNCIONÁRIO 0000"), QStringLiteral("Página: 2 de 12")},  // next one
    };
    for (const Case& c : cases) {
        text->setText(c.text);
        QTest::keyClick(text, Qt::Key_Return);
        EXPECT_EQ(section(1), c.header) << c.text.toStdString();
    }
    text->setText(QStringLiteral("NINGUÉM"));
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(section(1), QStringLiteral("Página: 2 de 12"));
    EXPECT_EQ(window->findChild<QLabel*>("FindResult")->text(), QStringLiteral("Não encontrado"));
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_TRUE(bar->isHidden());
}

TEST_F(PreviewWindow, SairReleasesTheStoreAndStopsComposition)
{
    open(6);
    bool released = false;
    QObject::connect(report->QRPrinter, &report::PageStore::previewReleased,
                     [&] { released = true; });
    int rows = 0;
    const report::RunResult result = report->compose([&] {
        if (++rows == 3)
            window->findChild<QAction*>("Sair")->trigger();
        return true;
    });
    EXPECT_EQ(result, report::RunResult::Cancelled) << "closing stops the page building";
    EXPECT_TRUE(released);
    EXPECT_FALSE(report->QRPrinter->isPreviewed());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the window frees itself";
}

TEST_F(PreviewWindow, AnotherWindowOfTheProgramClosesItButNotThePrintDialog)
{
    open(2);
    compose();
    window->activateWindow();
    QApplication::setActiveWindow(window);

    bool stillOpenInPrintDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        stillOpenInPrintDialog = dialog && window && !window->isHidden();
        if (dialog)
            dialog->reject();
    });
    QPrintDialog print(window);
    print.exec();
    EXPECT_TRUE(stillOpenInPrintDialog);
    EXPECT_TRUE(report->QRPrinter->isPreviewed());

    QDialog other;
    QTimer::singleShot(0, &other, [&] { other.reject(); });
    other.exec();
    EXPECT_FALSE(report->QRPrinter->isPreviewed()) << "closed as the other window took the focus";
}

TEST_F(PreviewWindow, TheOwnerTakesTheWindowWithIt)
{
    open(1);
    report.reset();
    EXPECT_TRUE(window.isNull());
}

TEST(PreviewLoop, PreviewComposesThenWaitsUntilTheWindowCloses)
{
    FakeReport report(30);
    QPointer<TFPreview> window;
    bool pageOneShownWhileComposing = false;
    report.OnPreview = [&](report::PageStore& store) {
        window = new TFPreview(&report, nullptr);
        window->Preview->setQRPrinter(&store);
        window->Relatorio = &report;
        QObject::connect(&store, &report::PageStore::pageAvailable, [&](int) {
            pageOneShownWhileComposing =
                pageOneShownWhileComposing ||
                (store.isComposing() && window->isVisible() && window->Preview->PageNumber() == 1);
        });
        QObject::connect(&store, &report::PageStore::runFinished, [&] {
            QTimer::singleShot(0, [&] { window->findChild<QAction*>("Sair")->trigger(); });
        });
    };
    report.Preview();
    EXPECT_TRUE(pageOneShownWhileComposing);
    EXPECT_EQ(report.QRPrinter->finishedCount(), 30) << "the pages outlive the composition";
    EXPECT_FALSE(report.QRPrinter->isPreviewed());
}

} // namespace

namespace {

// Fills in the print dialog as a clerk would, once it shows: pages, copies and a PDF file
// (the choice a machine without printers offers).
void answerPrintDialog(int from, int to, int copies, const QString& file, QString* maxShown)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* printers = dialog->findChild<QComboBox*>("printers");
        ASSERT_NE(printers, nullptr);
        printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)" comes last
        dialog->findChild<QLineEdit*>("filename")->setText(file);
        if (maxShown)
            *maxShown = QString::number(dialog->findChild<QSpinBox*>("to")->maximum());
        dialog->findChild<QRadioButton*>("printRange")->setChecked(true);
        dialog->findChild<QSpinBox*>("from")->setValue(from);
        dialog->findChild<QSpinBox*>("to")->setValue(to);
        dialog->findChild<QSpinBox*>("copies")->setValue(copies);
        dialog->accept();
    });
}

} // namespace

TEST_F(PreviewWindow, ConfirmedPrintSetsTheReportAndPrintsTheRangeThenThePreviewCloses)
{
    open(1005); // past page 999
    compose();
    testsupport::TempDir dir;
    const QString file = QString::fromStdString((dir.path() / "printed.pdf").string());
    QString maxShown;
    answerPrintDialog(2, 3, 2, file, &maxShown);
    bool released = false;
    QObject::connect(report->QRPrinter, &report::PageStore::previewReleased,
                     [&] { released = true; });
    press("Imprimir");
    EXPECT_EQ(maxShown, QStringLiteral("1005")) << "every page of a large payroll can be chosen";
    EXPECT_EQ(report->FirstPage, 2);
    EXPECT_EQ(report->LastPage, 3);
    EXPECT_EQ(report->Copies, 2);
    EXPECT_EQ(testsupport::pdfPageCount(file), 4) << "pages 2 and 3, twice";
    EXPECT_TRUE(released) << "the printing progress window closed the preview";
}

TEST_F(PreviewWindow, CancelledPrintDialogChangesNothing)
{
    open(3);
    compose();
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    press("Imprimir");
    EXPECT_EQ(report->FirstPage, 0);
    EXPECT_EQ(report->LastPage, 0);
    EXPECT_EQ(report->Copies, 1);
    EXPECT_TRUE(report->QRPrinter->isPreviewed());
}
