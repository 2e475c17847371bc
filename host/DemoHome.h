#pragma once

#include <QString>

// A demo home for kpfhost: the two settings files and the embedded demo database, made from the
// demo files and the SQL scripts of the data directory. What is there already is kept, and a
// database is built beside its place and moved in, so that a failure leaves no half-made file.
class DemoHome
{
public:
    // Reports each file it makes on standard error; false with *error when one cannot be made.
    static bool Make(const QString &home, const QString &dataDirectory, QString *error);

private:
    static bool CopySetting(const QString &home, const QString &dataDirectory, const QString &name,
                            QString *error);
    static bool MakeDatabase(const QString &home, const QString &dataDirectory, QString *error);
    static bool RunScript(const QString &connection, const QString &file, QString *error);
};
