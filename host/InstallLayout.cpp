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

QString InstallLayout::DataDirectory(const QString &programDirectory)
{
    if (InBuildTree(programDirectory))
        return QStringLiteral(KPF_SOURCE_DATA_DIR);
    return QDir::cleanPath(
        QDir(programDirectory).filePath(QString::fromUtf8(KPF_DATA_DIR_FROM_BIN)));
}

QString InstallLayout::DefaultHome(const QString &programDirectory)
{
    return InBuildTree(programDirectory) ? QString() : QDir::currentPath();
}

// The build tree keeps everything in one folder; the host library marks it.
bool InstallLayout::InBuildTree(const QString &programDirectory)
{
    return QDir(programDirectory).exists(QStringLiteral("lib_dll.so"));
}

QString InstallLayout::Resolve(const QString &programDirectory, const char *installedFromBin)
{
    if (InBuildTree(programDirectory))
        return programDirectory;
    return QDir::cleanPath(QDir(programDirectory).filePath(QString::fromUtf8(installedFromBin)));
}
