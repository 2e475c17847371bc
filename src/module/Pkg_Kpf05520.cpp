// The package frame: what a host calls after loading the module and before unloading it, and the
// package information it checks.
#include "Cli_Kpf05520.h"
#include "Srv_Kpf05520.h"
#include "kpf05520.h"

#include <utility>

namespace
{

bool inicializado = false;

} // namespace

// The units' initialization: no screen exists yet.
extern "C" KPF_EXPORT void Initialize(void)
{
    if (inicializado)
        return;
    Cli_Kpf05520::boCriado = false;
    inicializado = true;
}

// Idempotent. A screen or data module can only be left over when a call ended abnormally; the
// host calls this between calls, never during one.
extern "C" KPF_EXPORT void Finalize(void)
{
    delete std::exchange(Srv_Kpf05520::rdmImpost, nullptr);
    delete std::exchange(Cli_Kpf05520::frmImpost, nullptr);
    Cli_Kpf05520::boCriado = false;
    inicializado = false;
}

extern "C" KPF_EXPORT const char *const *GetPackageRequires(void)
{
    static const char *const requeridos[] = {"_dll", nullptr};
    return requeridos;
}

extern "C" KPF_EXPORT const char *const *GetPackageUnits(void)
{
    static const char *const unidades[] = {"Pkg_Kpf05520", "Cli_Kpf05520", "Srv_Kpf05520", nullptr};
    return unidades;
}
