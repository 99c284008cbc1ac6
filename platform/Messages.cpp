#include "platform/Messages.h"

#include "platform/Application.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

MessageHandler& currentHandler()
{
    static MessageHandler handler;
    return handler;
}

void showModal(const Message& message)
{
    QMessageBox box(message.icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    message.caption, message.text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

void showMessage(const Message& message)
{
    if (const MessageHandler& handler = currentHandler())
        handler(message);
    else
        showModal(message);
}

void showPlainMessage(const QString& text)
{
    showMessage({applicationTitle(), text, MessageIcon::None});
}

MessageHandler setMessageHandler(MessageHandler handler)
{
    MessageHandler old = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return old;
}

} // namespace platform
