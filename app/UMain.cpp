#include "app/UMain.h"

#include "app/StatementJob.h"
#include "app/UAbout.h"
#include "app/UResp.h"
#include "platform/Application.h"
#include "platform/Cursor.h"
#include "prep/MontaTabelaIR.h"
#include "report/UInforme.h"
#include "ui_UMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>

TMain* Main = nullptr;

namespace {

// Marks the command as running and keeps its menu item disabled until the run ends.
class RunGuard {
public:
    RunGuard(bool& running, QAction* item)
        : m_running(running)
        , m_item(item)
    {
        m_running = true;
        m_item->setEnabled(false);
    }
    ~RunGuard()
    {
        m_running = false;
        m_item->setEnabled(true);
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    bool& m_running;
    QAction* m_item;
};

} // namespace

TMain::TMain(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TMain>())
{
    ui->setupUi(this);
    prep::defineRawTableFields(DIRF);
    prep::defineWorkTableFields(IR);
    connect(ui->InformedeRendimentos1, &QAction::triggered, this,
            &TMain::InformedeRendimentos1Click);
    connect(ui->Sair1, &QAction::triggered, this, &TMain::Sair1Click);
    connect(ui->Sobre1, &QAction::triggered, this, &TMain::Sobre1Click);
}

TMain::~TMain() = default;

void TMain::MontaTabelaIR()
{
    if (m_job) {
        m_job->prepare(SQL, IR, DIRF);
        return;
    }
    StatementJob(DriveFolha, [this] { return NomeResponsavel; }).prepare(SQL, IR, DIRF);
}

QMdiArea* TMain::mdiArea() const
{
    return ui->MdiArea;
}

void TMain::InformedeRendimentos1Click()
{
    if (m_running)
        return;
    RunGuard guard(m_running, ui->InformedeRendimentos1);

    std::unique_ptr<TDResp> dialog(new TDResp(this));
    DResp = dialog.get();
    if (DResp->exec() != QDialog::Accepted)
        return;

    try {
        runJob();
    } catch (const std::exception& e) {
        platform::setScreenCursor(platform::ScreenCursor::Default);
        SQL.close();
        IR.close();
        DIRF.close();
        platform::showException(QString::fromUtf8(e.what()));
    }
}

void TMain::runJob()
{
    StatementJob job(DriveFolha, [this] { return NomeResponsavel; });
    m_job = &job;
    struct Forget {
        StatementJob*& job;
        ~Forget() { job = nullptr; }
    } forget{m_job};

    platform::setScreenCursor(platform::ScreenCursor::SqlWait);
    job.checkMarker();
    std::unique_ptr<TQRInforme> report = job.createReport(this, [this] { return mdiArea(); });
    MontaTabelaIR();
    job.openReport(*report);

    QRInforme = report.get();
    QRInforme->Terminated = [this] {
        return m_closing;
    };
    // The preview window shows the pages as they are composed; the call returns once it has
    // closed. The report's before-print handler restores the cursor as composition begins.
    QRInforme->Preview();
    // An empty data set composes nothing, so the handler never ran.
    platform::setScreenCursor(platform::ScreenCursor::Default);
}

void TMain::closeEvent(QCloseEvent* event)
{
    // A run waiting on its preview ends with it; one still composing stops.
    m_closing = true;
    ui->MdiArea->closeAllSubWindows();
    QMainWindow::closeEvent(event);
}

void TMain::Sair1Click()
{
    close();
}

void TMain::Sobre1Click()
{
    std::unique_ptr<TAbout> box(new TAbout(this));
    About = box.get();
    About->exec();
}
