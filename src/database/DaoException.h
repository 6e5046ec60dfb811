#pragma once

// An error of the database layer. Its message is complete and names the file,
// table or row it is about, so a caller can show it as it is.
#include <QString>

#include <exception>

class CDaoException : public std::exception
{
public:
    explicit CDaoException(QString message)
        : m_strMessage(std::move(message)), m_utf8(m_strMessage.toUtf8())
    {
    }

    const QString& Message() const { return m_strMessage; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_strMessage;
    QByteArray m_utf8;
};
