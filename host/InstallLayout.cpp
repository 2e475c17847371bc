#include "InstallLayout.h"

#include <QDir>

QString InstallLayout::ModuleDirectory(const QString &programDirectory)
{
    return Resolve(programDirectory, KPF_MODULE_DIR_FROM_BIN);
}

QString InstallLayout::TranslationsDirectory(const QString &programDirectory)
{
    return Resolve(programDirectory, KPF_TRANSLATIONS_DIR_FROM_BIN);
}

QString InstallLayout::Resolve(const QString &programDirectory, const char *installedFromBin)
{
    // The build tree keeps everything in one folder; the host library marks it.
    const QDir dir(programDirectory);
    if (dir.exists(QStringLiteral("lib_dll.so")))
        return programDirectory;
    return QDir::cleanPath(dir.filePath(QString::fromUtf8(installedFromBin)));
}
