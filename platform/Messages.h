#pragma once

#include <QString>

#include <functional>

namespace platform {

enum class MessageIcon { None, Stop };

// A message box with one OK button.
struct Message {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
};

// Every message box of the program goes through here, so that tests can read what would be
// shown instead of a modal box blocking them.
void showMessage(const Message& message);

// A plain message box captioned with the application title, no icon.
void showPlainMessage(const QString& text);

using MessageHandler = std::function<void(const Message&)>;

// Replaces the handler (an empty one restores the modal message box); returns the old one.
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace platform
