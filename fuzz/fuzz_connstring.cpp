// The ADO connection-string parser and its translation for each provider: any text gives settings
// or an EADOError, and no error text ever holds the password.
#include "ADOConnectionString.h"
#include "EADOError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace
{

// Only a password that cannot be mistaken for the words of a message or a key is looked for.
bool Distinctive(const QString &password, const ADOConnectionString &parsed,
                 const QString &designProvider)
{
    if (password.trimmed().size() < 8)
        return false;
    const QString provider = parsed.Value(QStringLiteral("provider"));
    const QString source = parsed.Value(QStringLiteral("data source"));
    return !provider.contains(password) && !source.contains(password) &&
           !designProvider.contains(password) && !password.contains(QLatin1Char('%'));
}

void CheckProvider(const ADOConnectionString &parsed, const QString &designProvider)
{
    try {
        parsed.ToQt(designProvider);
    } catch (const EADOError &error) {
        QString password;
        try {
            password = parsed.Password(); // Extended Properties may itself be malformed
        } catch (const EADOError &) {
            return;
        }
        if (Distinctive(password, parsed, designProvider) && error.Message().contains(password)) {
            std::fprintf(stderr, "the password shows in: %s\n", error.what());
            std::abort();
        }
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
    for (const char *provider : {"SQLite", "PostgreSQL", "MSDASQL", "MSDAORA.1"})
        CheckProvider(parsed, QLatin1String(provider));
    return 0;
}
