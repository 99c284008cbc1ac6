#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
namespace {

ShellHandler& currentHandler()
{
    static ShellHandler handler;
    return handler;
}

} // namespace

void shellOpen(const QString& address)
{
    if (const ShellHandler& handler = currentHandler())
        handler(address);
    else
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

ShellHandler setShellHandler(ShellHandler handler)
{
    ShellHandler old = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return old;
}

} // namespace platform
