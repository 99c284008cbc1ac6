#include "installer/framework/WidgetView.h"

#include "installer/framework/CopyWindow.h"
#include "installer/framework/PageWindow.h"
#include "installer/framework/StatusWindow.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

int exitStatusOf(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Completed:
        return exitstatus::Completed;
    case RunOutcome::Failed:
        return exitstatus::Failed;
    case RunOutcome::Cancelled:
        return exitstatus::Cancelled;
    case RunOutcome::RestartPending:
        return exitstatus::RestartPending;
    }
    return exitstatus::Failed;
}

WidgetView::WidgetView(const TTranslator& translator, QWidget* mainWindow)
    : m_translator(translator)
    , m_main(mainWindow)
{
    browseFolder = [](QWidget* parent, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, QString(), start);
    };
    errorBox = [](QWidget* parent, const QString& message) {
        QMessageBox::critical(parent, parent ? parent->window()->windowTitle() : QString(),
                              message);
    };
    askYesNo = [](QWidget* parent, const QString& question) {
        return QMessageBox::question(parent, parent ? parent->window()->windowTitle() : QString(),
                                     question) == QMessageBox::Yes;
    };
}

WidgetView::~WidgetView()
{
    while (m_busy > 0)
        setBusy(false);
    delete m_status;
    delete m_copy;
}

void WidgetView::showStatus(const QString& text)
{
    if (!m_status) {
        m_status = new StatusWindow(m_main);
        m_status->setFont(m_translator.font());
    }
    m_status->showStatus(text);
}

void WidgetView::hideStatus()
{
    if (m_status)
        m_status->hide();
}

void WidgetView::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busy;
    } else if (m_busy > 0) {
        QApplication::restoreOverrideCursor();
        --m_busy;
    }
}

bool WidgetView::showPages(const QList<TInstallPage*>& pages, PageAnswers& answers)
{
    // Pages wait for the user: the ordinary pointer while they show.
    const int busy = m_busy;
    for (int i = 0; i < busy; ++i)
        setBusy(false);
    PageWindow window(m_translator, m_main);
    window.browseFolder = browseFolder;
    window.refuse = errorBox;
    connect(&window, &PageWindow::pageShown, this,
            [this, &window](TPageKind kind) { emit pageShown(&window, kind); });
    const bool passed = window.run(pages, answers);
    for (int i = 0; i < busy; ++i)
        setBusy(true);
    return passed;
}

void WidgetView::beginCopy(const QString& file)
{
    if (!m_copy)
        m_copy = new CopyWindow(m_translator, m_main);
    m_copy->setFile(file);
    m_copy->show();
    emit copyStarted(m_copy, file);
}

void WidgetView::copyProgress(int filePercent, int totalPercent)
{
    if (m_copy)
        m_copy->setProgress(filePercent, totalPercent);
    QApplication::processEvents();
}

void WidgetView::endCopy()
{
    if (m_copy)
        m_copy->hide();
}

bool WidgetView::cancelRequested() const
{
    return m_copy && m_copy->cancelRequested();
}

void WidgetView::showError(const QString& message)
{
    errorBox(m_main, message);
}

bool WidgetView::confirmRestart(const QString& question)
{
    return askYesNo(m_main, question);
}

InstallSession::InstallSession(TInstall& root, const TTranslator& translator,
                               InstallPlatform& platform, RunOptions options, QWidget* mainWindow)
    : QObject(mainWindow)
    , m_root(root)
    , m_translator(translator)
    , m_platform(platform)
    , m_options(std::move(options))
    , m_main(mainWindow)
{
    mainWindow->installEventFilter(this);
}

bool InstallSession::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_main && event->type() == QEvent::Show && !m_started) {
        m_started = true;
        QTimer::singleShot(0, this, &InstallSession::start);
    }
    return QObject::eventFilter(watched, event);
}

void InstallSession::start()
{
    if (!m_root.HideMainForm) {
        // Where no window manager maximises windows, the backdrop still fills the screen.
        m_main->setGeometry(m_main->screen()->availableGeometry());
        m_main->showMaximized();
    } else
        m_main->hide();
    WidgetView view(m_translator, m_main);
    InstallRun run(m_root, m_translator, m_platform, view, m_options);
    const int status = exitStatusOf(run.execute());
    QCoreApplication::exit(status);
}
