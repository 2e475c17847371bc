#pragma once

#include <QString>

// Where kpfhost finds the libraries it loads and the translations: beside itself in the build
// tree, or in the installed tree's module and translations directories, found relative to its
// own directory so that the installed tree can lie under any prefix.
class InstallLayout
{
public:
    static QString ModuleDirectory(const QString &programDirectory);
    static QString TranslationsDirectory(const QString &programDirectory);

private:
    static QString Resolve(const QString &programDirectory, const char *installedFromBin);
};
