// radaziz-export: the statements of a payroll drive as PDF, without windows.
#include "app/Exporter.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt's notices about the session (no runtime folder, no display features) are not the user's
// business on a command line.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg ||
        message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    previousHandler = qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        std::printf("%s\n", exportUsage().toUtf8().constData());
        return 0;
    }
    QString error;
    const auto options = parseExportArguments(arguments, error);
    if (!options) {
        std::fprintf(stderr, "radaziz-export: %s\n%s\n", error.toUtf8().constData(),
                     exportUsage().toUtf8().constData());
        return 2;
    }
    return runExport(*options);
}
