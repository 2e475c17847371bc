// The ADO connection-string parser and its translation for each provider: any text gives settings
// or an EADOError, and no error text ever holds the password.
#include "ADOConnectionString.h"
#include "EADOError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace
{

const char *const Providers[] = {"SQLite", "PostgreSQL", "MSDASQL", "MSDAORA.1"};

// The error text of translating the settings for a provider; empty when there is none.
QString ErrorOf(const ADOConnectionString &parsed, const QString &designProvider)
{
    try {
        parsed.ToQt(designProvider);
    } catch (const EADOError &error) {
        return error.Message();
    }
    return QString();
}

// The fixed words of a message may hold a password's letters ("Password=" is one), so a password
// shows only where the message holds it more often than the message of the same text with the
// password swapped for a marker. Passwords that are short or also occur elsewhere in the text
// (a key, the provider) cannot be told apart and are not looked for.
void CheckProvider(const QString &text, const ADOConnectionString &parsed,
                   const QString &designProvider)
{
    const QString message = ErrorOf(parsed, designProvider);
    QString password;
    try {
        password = parsed.Password(); // Extended Properties may itself be malformed
    } catch (const EADOError &) {
        return;
    }
    if (password.trimmed().size() < 8 || text.count(password) != 1 || !message.contains(password))
        return;
    QString swapped = text;
    swapped.replace(password, QString(password.size(), QChar(0x2603)));
    ADOConnectionString other;
    try {
        other = ADOConnectionString::Parse(swapped);
    } catch (const EADOError &) {
        return;
    }
    if (message.count(password) > ErrorOf(other, designProvider).count(password)) {
        std::fprintf(stderr, "the password shows in: %s\n", qPrintable(message));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv); // the SQL driver list needs an application
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    ADOConnectionString parsed;
    try {
        parsed = ADOConnectionString::Parse(text);
    } catch (const EADOError &) {
        return 0;
    }
    for (const char *provider : Providers)
        CheckProvider(text, parsed, QLatin1String(provider));
    return 0;
}
