#pragma once

#include <QString>

#include <stdexcept>

namespace report {

// The one error type of the report engine: a template that cannot be run, an expression it
// does not understand, a file it cannot write. The message is meant for the user.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace report
