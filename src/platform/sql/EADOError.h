#pragma once

#include "Exceptions.h"

// A database error raised by the SQL classes: the readable text (never with the password) and the
// database's own error code (SQLSTATE or native number; empty when the error is not the server's).
class EADOError : public EDatabaseError
{
public:
    explicit EADOError(QString message, QString nativeError = {})
        : EDatabaseError(std::move(message)), m_nativeError(std::move(nativeError))
    {
    }
    const QString &NativeError() const { return m_nativeError; }

private:
    QString m_nativeError;
};
