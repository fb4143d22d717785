#pragma once

#include <QString>

#include <exception>

// A failure the reader reports to its user with the failure's own message.
class ReaderError : public std::exception
{
public:
    explicit ReaderError(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The message a failure shows the user: a ReaderError's own text, else what the library said.
QString messageOf(const std::exception &error);
