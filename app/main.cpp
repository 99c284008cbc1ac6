// Radaziz: prints the annual income statements from a payroll drive.
#include "app/ProgramPicture.h"
#include "app/UMain.h"
#include "cbase/Cb_func.h"
#include "platform/Application.h"
#include "platform/Messages.h"
#include "report/engine/ReportFonts.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include <exception>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(platform::applicationTitle());
    // The designed faces, or metric-compatible ones where they are missing.
    report::installFontSubstitutions();
    SetCBaseErrorHook([](const std::string& message) {
        platform::showPlainMessage(QString::fromStdString(message));
    });
    try {
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(programPicture())));
        TMain window;
        Main = &window;
        // Where no window manager maximises windows, the window still fills the screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            window.setGeometry(screen->availableGeometry());
        window.showMaximized();
        application.exec();
    } catch (const std::exception& e) {
        platform::showException(QString::fromUtf8(e.what()));
    }
    return 0;
}
