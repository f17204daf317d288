#pragma once

#include <QString>
#include <stdexcept>

namespace corvessa::store {

// Every failure of the data layer arrives as this exception; its text is meant to be shown to the user.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace corvessa::store
