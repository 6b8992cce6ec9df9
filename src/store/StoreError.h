#pragma once

#include <QString>
#include <stdexcept>

// Raised by the note store when the database refuses a statement or a caller
// asks for something the store cannot do. The text is meant for the user.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The row a write was meant for is no longer in the file (another program
// deleted it).
class RowGoneError : public StoreError {
public:
    using StoreError::StoreError;
};
