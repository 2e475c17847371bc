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
    // Where db/ and demo/ lie: the installed data directory, or the source tree.
    static QString DataDirectory(const QString &programDirectory);
    // The home without --home: the working directory of an installed kpfhost, where a person
    // stands; in the build tree kpfhost's own directory (empty: the host library's default).
    static QString DefaultHome(const QString &programDirectory);

private:
    static bool InBuildTree(const QString &programDirectory);
    static QString Resolve(const QString &programDirectory, const char *installedFromBin);
};
