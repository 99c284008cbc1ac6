#include "installer/framework/QuietStart.h"

#include <QByteArray>
#include <QString>

#include <string_view>

namespace {

QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg ||
        message.startsWith(QLatin1String("QStandardPaths:")) ||
        message.contains(QLatin1String("propagateSizeHints")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void installQuietMessageHandler()
{
    previousHandler = qInstallMessageHandler(quietHandler);
}

bool prepareSilentStart(int argc, char** argv)
{
    bool silent = false;
    for (int i = 1; i < argc; ++i)
        silent = silent || std::string_view(argv[i]) == "--silent";
    if (silent && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return silent;
}
