#include "HostLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

bool HostLanguage::Install(const QString &language, const QString &directory, QString *error)
{
    if (language.isEmpty() || language == QLatin1String("pt"))
        return true;
    const QString file = QDir(directory).filePath(QStringLiteral("kpf05520_%1.qm").arg(language));
    // Owned by the application, so it stays installed for every call of this run.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file)) {
        delete translator;
        *error = QCoreApplication::translate("kpfhost", "não foi possível carregar a tradução %1")
                     .arg(file);
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
