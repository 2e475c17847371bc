#include "PackageBuild.h"

#include "BuildIdentity.h"
#include "Exceptions.h"
#include "Trad_utl.h"

#include <QString>
#include <cstring>
#include <dlfcn.h>

QString PackageBuild::FileOf(const void *function)
{
    Dl_info info{};
    if (dladdr(function, &info) == 0 || !info.dli_fname)
        return QStringLiteral("?");
    return QString::fromLocal8Bit(info.dli_fname);
}

namespace
{

void ConfereUma(const char *library, const char *build, const char *moduleBuild,
                const void *function)
{
    if (std::strcmp(build, moduleBuild) == 0)
        return;
    throw Exception(
        Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520",
                                              "A biblioteca %1 (%2) é de outra compilação do "
                                              "Kpf05520 (%3) que o módulo (%4); instale as "
                                              "bibliotecas do mesmo pacote"))
            .arg(QLatin1String(library), PackageBuild::FileOf(function), QLatin1String(build),
                 QLatin1String(moduleBuild)));
}

} // namespace

const char *PackageBuild::Dll()
{
    return KPF_BUILD_ID;
}

void PackageBuild::Confere(const char *moduleBuild)
{
    ConfereUma("lib_dll.so", Dll(), moduleBuild,
               reinterpret_cast<const void *>(&PackageBuild::Dll));
    ConfereUma("libkpfplatform.so", BuildIdentity::Platform(), moduleBuild,
               reinterpret_cast<const void *>(&BuildIdentity::Platform));
}
