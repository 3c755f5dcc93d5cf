#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The program's own error: a failure that carries a message for the user.
class TrailscribeError : public std::exception
{
public:
    explicit TrailscribeError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
