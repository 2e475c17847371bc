#pragma once

#include <QString>
#include <exception>
#include <string>

// The platform's exception hierarchy. Every error the data and form layers raise derives from
// Exception; EAbort is the silent abort that handlers swallow without a message.
class Exception : public std::exception
{
public:
    explicit Exception(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toStdString())
    {
    }
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

class EAbort : public Exception
{
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] void Abort();
