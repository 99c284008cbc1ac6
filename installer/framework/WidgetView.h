#pragma once

#include "installer/framework/InstallRun.h"

#include <QObject>
#include <QPointer>

#include <functional>

class CopyWindow;
class StatusWindow;
class PageWindow;
class QWidget;

// The run in windows over the main window: the page window, the status window and the copy
// window. The message boxes and the folder browser are replaceable, so a test drives the run
// without anything modal of the system's.
class WidgetView : public QObject, public RunView {
    Q_OBJECT
public:
    WidgetView(const TTranslator& translator, QWidget* mainWindow);
    ~WidgetView() override;

    void showStatus(const QString& text) override;
    void hideStatus() override;
    void setBusy(bool busy) override;
    bool showPages(const QList<TInstallPage*>& pages, PageAnswers& answers) override;
    void beginCopy(const QString& file) override;
    void copyProgress(int filePercent, int totalPercent) override;
    void endCopy() override;
    bool cancelRequested() const override;
    void showError(const QString& message) override;
    bool confirmRestart(const QString& question) override;

    std::function<QString(QWidget*, const QString&)> browseFolder;
    std::function<void(QWidget*, const QString&)> errorBox;
    std::function<bool(QWidget*, const QString&)> askYesNo;

signals:
    // A page window shows a page; a copy window opened for a file.
    void pageShown(PageWindow* window, TPageKind kind);
    void copyStarted(CopyWindow* window, const QString& file);

private:
    const TTranslator& m_translator;
    QWidget* m_main;
    StatusWindow* m_status = nullptr;
    CopyWindow* m_copy = nullptr;
    int m_busy = 0;
};

// Starts the run when the main window is first shown, maximised as the run begins, and ends
// the application with the run's exit status.
class InstallSession : public QObject {
    Q_OBJECT
public:
    InstallSession(TInstall& root, const TTranslator& translator, InstallPlatform& platform,
                   RunOptions options, QWidget* mainWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();

    TInstall& m_root;
    const TTranslator& m_translator;
    InstallPlatform& m_platform;
    RunOptions m_options;
    QPointer<QWidget> m_main;
    bool m_started = false;
};

// Exit statuses of the installer; the loader keeps its working folder for a pending restart.
namespace exitstatus {
inline constexpr int Completed = 0;
inline constexpr int Failed = 1;
inline constexpr int BadArguments = 2;
inline constexpr int Cancelled = 3;
inline constexpr int RestartPending = 4;
} // namespace exitstatus
int exitStatusOf(RunOutcome outcome);
