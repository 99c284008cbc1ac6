// Radaziz: prints the annual income statements from a payroll drive.
#include "app/UMain.h"
#include "cbase/Cb_func.h"
#include "platform/Application.h"
#include "platform/Messages.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(platform::applicationTitle());
    SetCBaseErrorHook([](const std::string& message) {
        platform::showPlainMessage(QString::fromStdString(message));
    });
    try {
        TMain window;
        Main = &window;
        window.showMaximized();
        application.exec();
    } catch (const std::exception& e) {
        platform::showException(QString::fromUtf8(e.what()));
    }
    return 0;
}
