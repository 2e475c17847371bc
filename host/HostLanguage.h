#pragma once

#include <QString>

// kpfhost's --lang: installs the module's translation (kpf05520_<lang>.qm, from the directory
// InstallLayout names) on the application before the entry is called. "pt" installs nothing: the
// module's texts are the Portuguese originals.
class HostLanguage
{
public:
    // False with *error set when the translation file is missing or unreadable.
    static bool Install(const QString &language, const QString &directory, QString *error);
};
