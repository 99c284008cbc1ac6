// brevand-screenshots OUT: runs the installer in a scratch folder on the display at hand
// (for instance under xvfb-run with a window manager) and saves the screen while it shows the
// destination page (OUT/installer-destination.png) and the copy window
// (OUT/installer-copy.png). For the README; not a test.
#include "Sandbox.h"

#include "installer/InstInfo.h"
#include "installer/framework/CopyWindow.h"
#include "installer/framework/LinuxPlatform.h"
#include "installer/framework/PageWindow.h"
#include "installer/framework/WidgetView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// Lets the window system draw what was just shown, then saves the screen.
void saveScreen(const QString& file)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 700)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: brevand-screenshots OUT\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));

    // A short scratch root, so the destination reads much as on a real machine.
    const QString root = QStringLiteral("/tmp/setup-demo");
    QDir(root).removeRecursively();
    installertest::Sandbox sandbox;
    TForm1 form;
    LinuxPlatform platform(root, true);
    WidgetView view(*form.MainTranslator, &form);
    RunOptions options;
    options.distributionFolder = installertest::distributionFolder();
    options.workFolder = sandbox.temporary() + "/work";
    installertest::unpackSetup(options.workFolder);

    QObject::connect(&view, &WidgetView::pageShown, [&](PageWindow* window, TPageKind kind) {
        QTimer::singleShot(0, window, [&, window, kind] {
            if (kind == pkSelectDestination)
                saveScreen(out + "/installer-destination.png");
            const char* button =
                kind == pkGoodInstallation || kind == pkBadInstallation ? "FinishBtn" : "NextBtn";
            window->findChild<QPushButton*>(button)->click();
        });
    });
    bool saved = false;
    QObject::connect(&view, &WidgetView::copyStarted, [&](CopyWindow* window, const QString& file) {
        if (file != "libradaziz-engine.so")
            return;
        QObject::connect(window, &CopyWindow::progressed, window,
                         [&](const QString&, int done, int) {
                             if (!saved && done >= 40) {
                                 saved = true;
                                 saveScreen(out + "/installer-copy.png");
                             }
                         });
    });

    form.showMaximized();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    InstallRun run(*form.Install1, *form.MainTranslator, platform, view, options);
    const bool completed = run.execute() == RunOutcome::Completed;
    QDir(root).removeRecursively();
    return completed && saved ? 0 : 1;
}
