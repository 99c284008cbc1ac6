#include "platform/Application.h"

#include "platform/Messages.h"

namespace platform {

QString applicationTitle()
{
    return QStringLiteral("Utilitário de Impressão Radaziz (DIRF99)");
}

QString exceptionDisplayText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showException(const QString& message)
{
    showMessage({applicationTitle(), exceptionDisplayText(message), MessageIcon::Stop});
}

} // namespace platform
